#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "download/InstallerLauncher.h"
#include "platform/ProgramStartService.h"
#include "support/TemporaryFolder.h"
#include "support/WindowsFakeInstaller.h"
#include "support/WindowsTestSupport.h"

// Installers started through CreateProcess: the fake installer, under a name
// without a scenario, records the command line it was given and what
// Windows parses from it.

namespace
{
/** Launches `installer` and returns the run it recorded. */
WindowsFakeInstaller::Run launchAndWait (const juce::String& region, const juce::String& software, const juce::File& installer)
{
    const auto before = WindowsFakeInstaller::readRuns (installer).size();
    EXPECT_TRUE (launchInstaller (region, software, installer.getFullPathName()));
    EXPECT_TRUE (WindowsFakeInstaller::waitForInstallersToEnd());

    const auto runs = WindowsFakeInstaller::readRuns (installer);
    EXPECT_EQ (runs.size(), before + 1) << region << " " << software;
    return runs.size() > before ? runs.back() : WindowsFakeInstaller::Run();
}
} // namespace

TEST (InstallerLauncherUnderWine, EachCommandLineStartsTheInstallerBehindBlanksWithExactlyItsSwitches)
{
    TemporaryFolder folder;
    WindowsFakeInstaller::EndGuard guard (folder.getFolder());
    const auto installer = WindowsFakeInstaller::placeCopyAt (folder / "Velmora Downloads\\Velmora Package Setup.exe");

    // What CreateProcess would start, one after the other, from the same
    // path left unquoted: each a program that would record its run too.
    const juce::File decoys[] = {
        WindowsFakeInstaller::placeCopyAt (folder / "Velmora.exe"),
        WindowsFakeInstaller::placeCopyAt (folder / "Velmora Downloads\\Velmora.exe"),
        WindowsFakeInstaller::placeCopyAt (folder / "Velmora Downloads\\Velmora Package.exe"),
    };

    struct Case
    {
        const char* region;
        const char* software;
        juce::StringArray switches;
    };

    const Case cases[] = {
        { "cn", "Driver", { "/S", "/allusers" } },
        { "cn", "Vortex Deck", { "/silent", "/allusers" } },
        { "en", "Tessel Max", { "install", "--al", "-c" } },
    };

    isNotQt = false;
    isOldKeyWeave = false;

    for (const auto& c : cases)
    {
        const auto run = launchAndWait (c.region, c.software, installer);
        EXPECT_EQ (juce::File (run.program), installer) << c.software;
        EXPECT_EQ (run.arguments, c.switches) << c.software << ", command line: " << run.commandLine;
        EXPECT_EQ (run.outcome, "installed");
    }

    for (const auto& decoy : decoys)
        EXPECT_TRUE (WindowsFakeInstaller::readRuns (decoy).empty()) << decoy.getFullPathName() << " was started";
}

TEST (InstallerLauncherUnderWine, EnglishTesselMaxFirstRemovesItsOldInstallerFolderFromTheRoamingData)
{
    TemporaryFolder folder;
    WindowsFakeInstaller::EndGuard guard (folder.getFolder());
    const auto installer = WindowsFakeInstaller::placeCopyAt (folder / "Tessel Max Setup.exe");

    const auto velmora = WindowsTestSupport::getRoamingApplicationDataFolder().getChildFile ("Velmora");
    const auto oldFolder = velmora.getChildFile ("Tessel Max\\installer");
    const auto settings = velmora.getChildFile ("Tessel Max\\settings.json");
    ASSERT_TRUE (oldFolder.getChildFile ("cache").createDirectory());
    ASSERT_TRUE (oldFolder.getChildFile ("cache\\old.bin").replaceWithText ("old"));
    ASSERT_TRUE (settings.replaceWithText ("{}"));

    isNotQt = false;
    launchAndWait ("en", "Tessel Max", installer);
    EXPECT_FALSE (oldFolder.exists());
    EXPECT_TRUE (settings.existsAsFile()) << "nothing else is removed";

    velmora.getChildFile ("Tessel Max").deleteRecursively();
}

// Wine starts every program as it is and never answers 740 (elevation
// required): the shell's way is run here directly, as the launcher takes it
// on Windows when CreateProcess refuses an installer that asks for
// administrator rights.
TEST (InstallerLauncherUnderWine, TheShellStartsAsAdministratorTheSameCommandAndHandsOverItsEnd)
{
    TemporaryFolder folder;
    WindowsFakeInstaller::EndGuard guard (folder.getFolder());
    const auto installer = WindowsFakeInstaller::placeCopyAt (folder / "Velmora Downloads\\Velmora Package Setup.exe");
    auto& starter = platform::programStarter();

    struct Case
    {
        juce::StringArray arguments;
        juce::uint32 exitCode;
    };

    // A scenario the fake does not know: it records its run and ends with 1.
    const Case cases[] = {
        { { "/S", "/allusers" }, 0 },
        { { "--scenario=none such", "/S" }, 1 },
    };

    for (const auto& c : cases)
    {
        const auto before = WindowsFakeInstaller::readRuns (installer).size();
        juce::uint32 failure = 12345;
        auto program = starter.startAsAdministrator (installer, c.arguments, failure);
        ASSERT_NE (program, nullptr) << "error " << failure;
        EXPECT_EQ (failure, 0u);
        EXPECT_EQ (program->waitForExit(), c.exitCode) << c.arguments.joinIntoString (" ");

        const auto runs = WindowsFakeInstaller::readRuns (installer);
        ASSERT_EQ (runs.size(), before + 1);
        EXPECT_EQ (juce::File (runs.back().program), installer);
        EXPECT_EQ (runs.back().arguments, c.arguments) << "command line: " << runs.back().commandLine;
    }

    // The launcher takes the shell's way only on CreateProcess's own error
    // code, which must come through JUCE's ChildProcess unchanged.
    const auto missing = folder / "Velmora Downloads\\missing Setup.exe";
    const auto notAProgram = folder / "Velmora Downloads\\readme Setup.exe";
    ASSERT_TRUE (notAProgram.replaceWithText ("Read me first."));

    juce::uint32 failure = 0;
    EXPECT_EQ (starter.start (missing, { "/S" }, failure), nullptr);
    EXPECT_EQ (failure, (juce::uint32) ERROR_FILE_NOT_FOUND);
    EXPECT_EQ (starter.start (notAProgram, { "/S" }, failure), nullptr);
    EXPECT_EQ (failure, (juce::uint32) ERROR_BAD_EXE_FORMAT);
    EXPECT_EQ (starter.startAsAdministrator (missing, { "/S" }, failure), nullptr);
    EXPECT_EQ (failure, (juce::uint32) ERROR_FILE_NOT_FOUND);
}
