#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "download/InstallerLauncher.h"
#include "platform/ProgramStartService.h"
#include "support/FakeInstaller.h"
#include "support/SimulatedHostFolder.h"

#include <thread>
#include <vector>

namespace
{
/** A program-start service that answers as told: each way of starting
    either fails with a system error code or starts a program that ends at
    once with `exitCode`. Every call is recorded.
*/
class FakeProgramStart final : public platform::ProgramStartService
{
public:
    struct Call
    {
        bool asAdministrator;
        juce::String program;
        juce::StringArray arguments;
    };

    std::unique_ptr<platform::RunningProgram> start (const juce::File& program, const juce::StringArray& arguments, juce::uint32& failureCode) override
    {
        return answer ({ false, program.getFullPathName(), arguments }, startFailure, failureCode);
    }

    std::unique_ptr<platform::RunningProgram> startAsAdministrator (const juce::File& program, const juce::StringArray& arguments, juce::uint32& failureCode) override
    {
        return answer ({ true, program.getFullPathName(), arguments }, administratorFailure, failureCode);
    }

    bool launch (const juce::File&) override { return false; }

    juce::uint32 startFailure = 0, administratorFailure = 0, exitCode = 0;
    std::vector<Call> calls;

private:
    struct EndsAtOnce final : platform::RunningProgram
    {
        explicit EndsAtOnce (juce::uint32 code) : code (code) {}
        juce::uint32 waitForExit() override { return code; }
        juce::uint32 code;
    };

    std::unique_ptr<platform::RunningProgram> answer (Call call, juce::uint32 failure, juce::uint32& failureCode)
    {
        calls.push_back (std::move (call));
        failureCode = failure;
        return failure == 0 ? std::make_unique<EndsAtOnce> (exitCode) : nullptr;
    }

    platform::ScopedServiceOverride<platform::ProgramStartService> installed { *this };
};

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

TEST (InstallerLauncher, AnInstallerThatNeedsAdministratorRightsIsStartedThroughTheShell)
{
    // Windows' error codes: not found, access denied, not a program,
    // elevation required, and the user's "No" to the consent prompt.
    constexpr juce::uint32 notFound = 2, accessDenied = 5, badFormat = 193, elevationRequired = 740, cancelled = 1223;
    static_assert (elevationRequired == platform::ProgramStartService::elevationRequired);

    struct Case
    {
        const char* software;
        juce::uint32 startFailure, administratorFailure;
        bool throughShell, started;
    };

    const Case cases[] = {
        { "Driver", 0, 0, false, true },
        { "Driver", elevationRequired, 0, true, true },
        { "Vortex Deck", elevationRequired, 0, true, true },
        { "Driver", elevationRequired, cancelled, true, false },
        { "Driver", elevationRequired, elevationRequired, true, false },
        { "Driver", notFound, 0, false, false },
        { "Driver", accessDenied, 0, false, false },
        { "Driver", badFormat, 0, false, false },
    };

    const juce::String installer = juce::File::getSeparatorString() + "Temp" + juce::File::getSeparatorString() + "Velmora Setup.exe";
    isOldKeyWeave = false;

    for (const auto& c : cases)
    {
        const auto description = juce::String (c.software) + ", start fails with " + juce::String (c.startFailure)
                                 + ", as administrator with " + juce::String (c.administratorFailure);
        FakeProgramStart starter;
        starter.startFailure = c.startFailure;
        starter.administratorFailure = c.administratorFailure;
        starter.exitCode = 3010;

        const auto run = startInstaller ("cn", c.software, installer);
        EXPECT_EQ (run != nullptr, c.started) << description;

        ASSERT_EQ (starter.calls.size(), c.throughShell ? 2u : 1u) << description;
        EXPECT_FALSE (starter.calls[0].asAdministrator) << description;

        if (c.throughShell)
        {
            // The same command, only asked for differently.
            EXPECT_TRUE (starter.calls[1].asAdministrator) << description;
            EXPECT_EQ (starter.calls[1].program, starter.calls[0].program) << description;
            EXPECT_EQ (starter.calls[1].arguments, starter.calls[0].arguments) << description;
        }

        EXPECT_EQ (starter.calls[0].program, installer) << description;
        EXPECT_EQ (starter.calls[0].arguments, InstallerCommand::chooseSwitches ("cn", c.software)) << description;

        if (run != nullptr)
        {
            // Followed to its end like any installer, its exit code kept.
            const auto end = juce::Time::getMillisecondCounter() + 10000;

            while (! run->hasEnded() && juce::Time::getMillisecondCounter() < end)
                std::this_thread::sleep_for (std::chrono::milliseconds (5));

            EXPECT_TRUE (run->hasEnded()) << description;
            EXPECT_EQ (run->getExitCode(), 3010u) << description;
        }

        // The service goes with this iteration: its installer thread must be done with it.
        EXPECT_TRUE (FakeInstaller::waitForInstallersToEnd()) << description;
    }
}
