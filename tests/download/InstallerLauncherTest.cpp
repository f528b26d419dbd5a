#include <gtest/gtest.h>

#include "core/ProcessState.h"
#include "download/InstallerLauncher.h"
#include "support/FakeInstaller.h"
#include "support/SimulatedHostFolder.h"

namespace
{
/** Launches `installer` and waits for the run it records. */
FakeInstaller::Run launchAndWait (const juce::String& region, const juce::String& software, const juce::File& installer)
{
    const auto before = FakeInstaller::readRuns (installer).size();
    EXPECT_TRUE (launchInstaller (region, software, installer.getFullPathName()));
    EXPECT_TRUE (FakeInstaller::waitForInstallersToEnd());

    const auto runs = FakeInstaller::readRuns (installer);
    EXPECT_EQ (runs.size(), before + 1);
    return runs.empty() ? FakeInstaller::Run() : runs.back();
}
} // namespace

TEST (InstallerLauncher, EachPackageGetsItsSwitchesAndThePathStaysOneArgument)
{
    SimulatedHostFolder host;
    FakeInstaller::EndGuard guard (host.getFolder());

    // A user name with a blank, an installer name with blanks too, and no
    // execute permission, as after a download.
    const auto installer = FakeInstaller::placeAt (host / "Users/First Last/Downloads/Velmora Package Setup.exe");

    struct Case
    {
        const char* region;
        const char* software;
        bool notQt, oldKeyWeave;
        juce::StringArray switches;
    };

    const Case cases[] = {
        { "en", "Tessel Max", false, false, { "install", "--al", "-c" } },
        { "en", "Tessel Max", true, false, { "/S", "/allusers" } },
        { "cn", "Tessel Max", false, false, { "/S", "/allusers" } },
        { "cn", "Vortex Deck", false, true, { "/silent", "/allusers" } },
        { "en", "KeyWeave", false, false, { "/silent", "/allusers" } },
        { "en", "KeyWeave", false, true, { "/S", "/allusers" } },
        { "cn", "Driver", false, false, { "/S", "/allusers" } },
        { "en", "Plugin", false, false, { "/S", "/allusers" } },
    };

    for (const auto& c : cases)
    {
        isNotQt = c.notQt;
        isOldKeyWeave = c.oldKeyWeave;

        const auto run = launchAndWait (c.region, c.software, installer);
        EXPECT_EQ (run.program, installer.getFullPathName()) << c.software;
        EXPECT_EQ (run.arguments, c.switches) << c.region << " " << c.software << " notQt " << c.notQt << " old " << c.oldKeyWeave;
    }
}

TEST (InstallerLauncher, EnglishTesselMaxStartsWithoutItsOldInstallerFolder)
{
    SimulatedHostFolder host;
    FakeInstaller::EndGuard guard (host.getFolder());
    const auto installer = FakeInstaller::placeAt (host / "Temp/VelmoraTmp/Tessel Max Setup.exe");

    const auto velmora = host / "Users/user/AppData/Roaming/Velmora";
    const auto oldFolder = velmora.getChildFile ("Tessel Max/installer");
    host.write ("Users/user/AppData/Roaming/Velmora/Tessel Max/installer/cache/old.bin", "old");
    host.write ("Users/user/AppData/Roaming/Velmora/Tessel Max/settings.json", "{}");

    isNotQt = false;
    launchAndWait ("cn", "Tessel Max", installer);
    EXPECT_TRUE (oldFolder.isDirectory()) << "only the English installer wants it gone";

    launchAndWait ("en", "Tessel Max", installer);
    EXPECT_FALSE (oldFolder.exists());
    EXPECT_TRUE (velmora.getChildFile ("Tessel Max/settings.json").existsAsFile()) << "nothing else is removed";

    launchAndWait ("en", "Tessel Max", installer);
    EXPECT_EQ (FakeInstaller::readRuns (installer).size(), 3u) << "a missing folder does not stop the start";
}

TEST (InstallerLauncher, ProgramsThatCannotStartAreReported)
{
    SimulatedHostFolder host;
    FakeInstaller::EndGuard guard (host.getFolder());

    EXPECT_FALSE (launchInstaller ("cn", "Driver", (host / "Temp/missing Setup.exe").getFullPathName()));
    EXPECT_FALSE (launchInstaller ("cn", "Driver", host.write ("Temp/Windows Setup.exe", "MZ This program cannot be run in DOS mode.").getFullPathName()))
        << "not a program of this host";
    EXPECT_FALSE (launchInstaller ("cn", "Driver", (host / "Temp").getFullPathName())) << "a folder";
    EXPECT_FALSE (launchInstaller ("cn", "Driver", "Setup.exe")) << "a relative path";
    EXPECT_FALSE (launchInstaller ("cn", "Driver", {}));
    EXPECT_EQ (getRunningInstallerCount(), 0);
}

TEST (InstallerLauncher, InstallerThatFloodsItsOutputRunsToItsEnd)
{
    SimulatedHostFolder host;
    FakeInstaller::EndGuard guard (host.getFolder());
    const auto installer = FakeInstaller::placeAt (host / "Temp/Chatty Setup.chatty.exe");

    // Megabytes on standard output and error, which nobody shows: the
    // installer must not be left blocked on a full pipe.
    const auto run = launchAndWait ("cn", "Driver", installer);
    EXPECT_EQ (run.outcome, "installed");
}
