#include <gtest/gtest.h>

#include "download/InstallMonitor.h"
#include "download/InstallerLauncher.h"
#include "support/FakeInstaller.h"
#include "support/LogCapture.h"
#include "support/SimulatedHostFolder.h"

namespace
{
struct Outcome
{
    juce::String result; // the first answer that is not "still"
    FakeInstaller::Run run;
    juce::StringArray log;
};

/** Starts the fake installer for `scenario` from a folder with blanks and
    answers its dialog as the download monitor does, until it is done or has
    failed.
*/
Outcome installWith (const juce::String& scenario)
{
    SimulatedHostFolder host;
    FakeInstaller::EndGuard guard (host.getFolder());
    const auto installer = FakeInstaller::placeAt (host / ("Users/First Last/AppData/Local/Temp/VelmoraTmp/QX4 Driver/Velmora QX4 Setup." + scenario + ".exe"));

    LogCapture log;
    Outcome outcome;
    EXPECT_TRUE (launchInstaller ("cn", "Driver", installer.getFullPathName()));

    InstallMonitor monitor ("QX4 (USB Audio)");
    const auto end = juce::Time::getMillisecondCounter() + 30000;

    while (outcome.result.isEmpty() && juce::Time::getMillisecondCounter() < end)
    {
        if (monitor.findInstallerWindow())
            if (const auto result = monitor.analyseWindow(); result != "still")
                outcome.result = result;

        juce::Thread::sleep (20);
    }

    EXPECT_TRUE (FakeInstaller::waitForInstallersToEnd()) << "the installer ends once answered";
    EXPECT_FALSE (monitor.findInstallerWindow()) << "and its dialog is gone";

    const auto runs = FakeInstaller::readRuns (installer);
    EXPECT_EQ (runs.size(), 1u);

    if (! runs.empty())
        outcome.run = runs.front();

    outcome.log = log.getLines();
    return outcome;
}

const juce::StringArray clickedToTheEnd { "<InstallMonitor::analyseWindow> clicked OK button",
                                          "<InstallMonitor::analyseWindow> clicked Install button" };
} // namespace

TEST (InstallMonitorWithInstaller, SuccessfulInstallationEndsWithExit)
{
    const auto outcome = installWith ("success");
    EXPECT_EQ (outcome.result, "done");
    EXPECT_EQ (outcome.run.arguments, juce::StringArray ("/S", "/allusers"));
    EXPECT_EQ (outcome.run.pages, juce::StringArray ("language", "start", "installing", "completed"));
    EXPECT_EQ (outcome.run.presses, juce::StringArray ("OK", "INSTALL", "E&xit")) << "each page pressed once, the driver page never";
    EXPECT_EQ (outcome.run.outcome, "installed");

    auto expectedLog = clickedToTheEnd;
    expectedLog.add ("<InstallMonitor::analyseWindow> clicked exit button");
    EXPECT_EQ (outcome.log, expectedLog);
}

TEST (InstallMonitorWithInstaller, RestartQuestionIsAnsweredLater)
{
    const auto outcome = installWith ("reboot");
    EXPECT_EQ (outcome.result, "done");
    EXPECT_EQ (outcome.run.presses, juce::StringArray ("OK", "INSTALL", "Reboot later"));
    EXPECT_EQ (outcome.run.outcome, "installed");

    auto expectedLog = clickedToTheEnd;
    expectedLog.add ("<InstallMonitor::analyseWindow> clicked not reboot button");
    EXPECT_EQ (outcome.log, expectedLog);
}

TEST (InstallMonitorWithInstaller, FailurePageGivesTheInstallersOwnText)
{
    const auto outcome = installWith ("failure");
    EXPECT_EQ (outcome.result, "Unfortunately the installation failed. (7)");
    EXPECT_EQ (outcome.run.pages, juce::StringArray ("language", "start", "installing", "failed"));
    EXPECT_EQ (outcome.run.presses, juce::StringArray ("OK", "INSTALL", "E&xit"));
    EXPECT_EQ (outcome.run.outcome, "failed");
    EXPECT_EQ (outcome.log, clickedToTheEnd) << "the exit press on a failure page is not logged";
}
