#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "core/MainComponent.h"
#include "devices/DeploymentSettings.h"
#include "support/ClosedLoopbackPort.h"
#include "support/LogCapture.h"
#include "support/LoopbackNginx.h"
#include "support/MessageLoop.h"
#include "support/SimulatedHostFolder.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/InterfaceComponent.h"

namespace
{
/** The list files in the simulated host's temporary folder. */
juce::Array<juce::File> listFilesIn (const SimulatedHostFolder& host)
{
    return (host / "Temp").findChildFiles (juce::File::findFiles, false, "list_*.xml");
}

const juce::String listText = "<list driverBaseUrl=\"https://d.test\" pluginWebUrl=\"https://www.example.test/plugins\"/>";
} // namespace

TEST (MainComponent, StartsAt600x400InTheRegionsLanguageWithItsWatchTimer)
{
    SimulatedHostFolder host;
    const ClosedLoopbackPort noServer;
    const ScopedDeploymentSettings servers (noServer.getBaseUrl());
    MainComponent main;

    EXPECT_EQ (main.getWidth(), 600);
    EXPECT_EQ (main.getHeight(), 400);
    EXPECT_TRUE (main.isTimerRunning());
    EXPECT_EQ (main.getTimerInterval(), 500);
    EXPECT_EQ (uiLanguage, "cn");
    EXPECT_EQ (main.getLocalisedText ("product"), juce::String::fromUTF8 ("产品型号："));
}

TEST (MainComponent, LooksTextsUpInTheCurrentInterfaceLanguage)
{
    SimulatedHostFolder host;
    const ClosedLoopbackPort noServer;
    const ScopedDeploymentSettings servers (noServer.getBaseUrl());
    MainComponent main;

    uiLanguage = "en";
    EXPECT_EQ (main.getLocalisedText ("yes"), "Yes");
    EXPECT_EQ (main.getLocalisedText ("upper_ready"), " is ready!\n\nDo you want to launch it?");
    EXPECT_EQ (main.getLocalisedText ("install_tail_core"), "install_tail_core");

    uiLanguage = "cn";
    EXPECT_EQ (main.getLocalisedText ("no"), juce::String::fromUTF8 ("否"));
    EXPECT_EQ (main.getLocalisedText ("driver_error"), "driver_error");
}

/** Waits for the list's first attempt to end, as the watch's ticks take it. */
bool listAttemptEnded (const LogCapture& log)
{
    return runMessageLoopUntil ([&]
                                { return deviceListValid.load() || log.countContaining ("MainComponent > Failed to download XML file: ") > 0; });
}

TEST (MainComponent, FetchesTheDeviceListFromTheDownloadServerInTheBackground)
{
    SimulatedHostFolder host;
    host.setWindowsVersion ("10.0.19045");
    host.setWow64 (true);

    TemporaryFolder documents;
    documents.write ("list_20260509_1.1.16.xml", listText);
    LoopbackNginx server (documents.getFolder());
    ASSERT_TRUE (server.isRunning());

    // A cloud host that does not answer: the cn region must not ask it.
    const ClosedLoopbackPort noServer;
    const ScopedDeploymentSettings servers (DeploymentSettings { server.getBaseUrl(), noServer.getBaseUrl(), noServer.getBaseUrl() });
    LogCapture log;

    {
        MainComponent main;

        ASSERT_TRUE (listAttemptEnded (log));
        EXPECT_TRUE (deviceListValid);
        EXPECT_FALSE (log.contains ("<MainComponent::timerCallback> reconnected!")) << "a list there from the start is no reconnection";
        EXPECT_EQ (pluginWebUrl, "https://www.example.test/plugins");

        const auto lists = listFilesIn (host);
        ASSERT_EQ (lists.size(), 1);
        EXPECT_EQ (lists[0].loadFileAsString(), listText);
        EXPECT_TRUE (log.contains ("MainComponent > XML file: " + server.urlFor ("/list_20260509_1.1.16.xml") + " successfully downloaded to " + lists[0].getFullPathName()));
    }

    EXPECT_TRUE (listFilesIn (host).isEmpty()) << "the list goes with the component";

    server.stop();
    MainComponent withoutServer;
    ASSERT_TRUE (listAttemptEnded (log));
    EXPECT_FALSE (deviceListValid);
    // Only the lock of the window's own work folder, empty, which lives as long as the window.
    const auto left = (host / "Temp").findChildFiles (juce::File::findFiles, true);
    ASSERT_EQ (left.size(), 1) << "a failed download leaves nothing behind";
    EXPECT_TRUE (left[0].getFileName().startsWith ("copy-") && left[0].hasFileExtension ("lock")) << left[0].getFullPathName();
}

TEST (MainComponent, OpensAtOnceAndSaysNothingOfTheServerWhileItsListIsOnItsWay)
{
    SimulatedHostFolder host;

    // Connections are taken into the listener's backlog and never answered.
    juce::StreamingSocket silent;
    ASSERT_TRUE (silent.createListener (0, "127.0.0.1"));
    const ScopedDeploymentSettings servers ("http://127.0.0.1:" + juce::String (silent.getBoundPort()));
    LogCapture log;

    // The list may take its whole limit of ten seconds; the window waits for none of it.
    const auto started = juce::Time::getMillisecondCounterHiRes();
    MainComponent main;
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, 5000.0);

    // Ticks come and go while the attempt runs: no failure is reported
    // before it has failed.
    runMessageLoopFor (1600);
    EXPECT_FALSE (deviceListValid);
    EXPECT_EQ (log.countContaining ("MainComponent > Failed to download XML file: "), 0);
    const auto* notice = dynamic_cast<juce::Label*> (main.getChildComponent (0)->findChildWithID ("noticeLabel"));
    EXPECT_TRUE (notice == nullptr || notice->getText() != main.getLocalisedText ("reconnect")) << "no \"Server error\" notice yet";
}

TEST (MainComponent, FetchesTheCloudListOverPlainHttpOnWindows7)
{
    SimulatedHostFolder host;
    host.setWindowsVersion ("6.1.7601");
    host.setWow64 (true);

    TemporaryFolder documents;
    documents.write ("velmora/release/software/list_20260509_1.1.16.xml", listText);
    LoopbackNginx server (documents.getFolder());
    ASSERT_TRUE (server.isRunning());

    // nginx speaks plain HTTP only: the "https" addresses work only once rewritten.
    const auto https = server.getBaseUrl().replace ("http://", "https://");
    const ScopedDeploymentSettings servers (https);

    {
        LogCapture firstLog;
        MainComponent main;
        ASSERT_TRUE (listAttemptEnded (firstLog));
        EXPECT_TRUE (deviceListValid);
    }

    EXPECT_TRUE (server.getAccessLog().contains ("GET /velmora/release/software/list_20260509_1.1.16.xml 200 \"-\" " + juce::String (listText.length())))
        << server.getAccessLog().joinIntoString ("\n");

    host.setWindowsVersion ("10.0.19045");
    LogCapture log;
    MainComponent main;
    ASSERT_TRUE (listAttemptEnded (log));
    EXPECT_FALSE (deviceListValid) << "Windows 10 keeps https";
    EXPECT_TRUE (log.contains ("MainComponent > Failed to download XML file: " + https + "/list_20260509_1.1.16.xml"));
}

TEST (MainComponent, ShowsTheInterfaceWithTheProgramsLookAndFeelWhileItLives)
{
    SimulatedHostFolder host;
    const ClosedLoopbackPort noServer;
    const ScopedDeploymentSettings servers (noServer.getBaseUrl());

    {
        MainComponent main;

        ASSERT_EQ (main.getNumChildComponents(), 1);
        auto* ui = dynamic_cast<InterfaceComponent*> (main.getChildComponent (0));
        ASSERT_NE (ui, nullptr);
        EXPECT_TRUE (ui->isVisible());
        EXPECT_EQ (ui->getBounds(), juce::Rectangle<int> (0, 0, 600, 400));

        main.setSize (640, 480);
        EXPECT_EQ (ui->getBounds(), juce::Rectangle<int> (0, 0, 640, 480));

        EXPECT_NE (dynamic_cast<CustomLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
    }

    EXPECT_EQ (dynamic_cast<CustomLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
}
