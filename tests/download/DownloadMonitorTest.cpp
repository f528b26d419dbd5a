#include <gtest/gtest.h>

#include "base/DetachedThread.h"
#include "base/ProcessState.h"
#include "download/DownloadMonitor.h"
#include "download/StatusText.h"
#include "support/FakeInstaller.h"
#include "support/FakeWindowAutomation.h"
#include "support/LogCapture.h"
#include "support/LoopbackNginx.h"
#include "support/MessageLoop.h"
#include "support/SimulatedHostFolder.h"
#include "support/ZipBytes.h"

namespace
{
/** One install request on a simulated 64-bit Windows 10 host, its package
    served by nginx on 127.0.0.1, followed through the monitor's statuses.
*/
class MonitoredRequest
{
public:
    explicit MonitoredRequest (const juce::String& limitRate = {})
        : server (packages.getFolder(), limitRate)
    {
        host.setWindowsVersion ("10.0.19045");
        host.setWow64 (true);
        FakeInstaller::signAsMaker (host.getFolder());
        workFolder.createDirectory();
    }

    ~MonitoredRequest()
    {
        monitor.reset();
        cancelRequested = false;
    }

    /** A ZIP package holding the fake installer under `installerName`. */
    void publishArchive (const juce::String& path, const juce::String& installerName)
    {
        FakeInstaller::writeArchive (packages / path, installerName);
    }

    /** A file on the server, which the host takes for a program the maker
        signed, should it be started.
    */
    void publish (const juce::String& path, const juce::String& content)
    {
        packages.write (path, content);
        host.describeSignature (juce::MemoryBlock (content.toRawUTF8(), content.getNumBytesAsUTF8()), "signed by " + FakeInstaller::makersName());
    }

    void start (const juce::String& path, const juce::String& softwareName, const juce::String& deviceName = "QX4")
    {
        selection.deviceName = deviceName;
        selection.softwareName = softwareName;
        selection.region = "cn";
        selection.language = "cn";
        selection.url = server.urlFor (path).replace (" ", "%20");

        monitor = std::make_unique<DownloadMonitor> (selection, workFolder.getFullPathName(), [this] (const juce::String& status)
                                                     {
                                                         const juce::ScopedLock sl (lock);
                                                         statuses.add (status); });
    }

    juce::StringArray getStatuses() const
    {
        const juce::ScopedLock sl (lock);
        return statuses;
    }

    /** The statuses other than the progress reports. */
    juce::StringArray getOutcomes() const
    {
        juce::StringArray outcomes;

        for (const auto& status : getStatuses())
            if (! StatusText::isProgress (status))
                outcomes.add (status);

        return outcomes;
    }

    bool waitFor (const juce::String& status, int timeoutMs = 30000)
    {
        return runMessageLoopUntil ([&]
                                    { return getStatuses().contains (status); },
                                    timeoutMs);
    }

    bool waitForOutcomes (int count, int timeoutMs = 30000)
    {
        return runMessageLoopUntil ([&]
                                    { return getOutcomes().size() >= count; },
                                    timeoutMs);
    }

    SimulatedHostFolder host;
    FakeInstaller::EndGuard endGuard { host.getFolder() };
    TemporaryFolder packages;
    LoopbackNginx server;
    juce::File workFolder { host / "Temp/VelmoraTmp" };
    LogCapture log;
    Selection selection;
    std::unique_ptr<DownloadMonitor> monitor;

private:
    juce::CriticalSection lock;
    juce::StringArray statuses;
};

/** What the flags of an install request are for a Tessel Max package in region cn. */
void chooseTesselMaxNewBuildWithDriver()
{
    isNotQt = true;
    noDriverIncluded = false;
    isEnQx3 = false;
    isOldKeyWeave = false;
}
} // namespace

TEST (DownloadMonitor, WatchedPackageGoesFromDownloadToInstalledThroughItsDialog)
{
    MonitoredRequest request;
    request.publishArchive ("tesselmax/TesselMax 2.1.zip", "QX4 Tessel Max Setup.success.exe");
    chooseTesselMaxNewBuildWithDriver();

    request.start ("tesselmax/TesselMax 2.1.zip", "Tessel Max");
    ASSERT_TRUE (request.waitFor (StatusText::installed)) << request.getStatuses().joinIntoString ("\n");

    EXPECT_EQ (request.getOutcomes(), juce::StringArray (StatusText::downloaded, StatusText::installed));
    EXPECT_FALSE (request.monitor->isTimerRunning()) << "the watch ends with the installation";

    const auto& log = request.log;
    EXPECT_TRUE (log.contains ("<DownloadMonitor> Download: " + request.selection.url));
    EXPECT_TRUE (log.contains ("<DownloadMonitor> _tmpDir: " + (request.workFolder.getChildFile ("TesselMax%202.1.zip")).getFullPathName()));
    EXPECT_EQ (log.countContaining ("<DownloadMonitor::timerCallback> Downloaded in "), 1);
    EXPECT_EQ (log.countContaining ("<DownloadMonitor::timerCallback> Download speed: "), 1);
    EXPECT_TRUE (log.contains ("<InstallMonitor::analyseWindow> clicked Install button"));
    EXPECT_TRUE (log.contains ("<InstallMonitor::analyseWindow> clicked exit button"));
    EXPECT_EQ (log.countContaining ("no need to click any button"), 0);

    ASSERT_TRUE (FakeInstaller::waitForInstallersToEnd());
    const auto installer = request.workFolder.getChildFile ("TesselMax%202.1/Package/QX4 Tessel Max Setup.success.exe");
    const auto runs = FakeInstaller::readRuns (installer);
    ASSERT_EQ (runs.size(), 1u);
    EXPECT_EQ (runs[0].arguments, juce::StringArray ("/S", "/allusers"));
    EXPECT_EQ (lastInstallerPath, installer.getFullPathName());
}

TEST (DownloadMonitor, WatchedInstallerThatCannotStartEndsTheRequestAtOnce)
{
    // A package whose "installer" is no program: Windows refuses to start it.
    MonitoredRequest request;
    juce::ZipFile::Builder zip;
    zip.addEntry (new juce::MemoryInputStream (juce::MemoryBlock ("not a program", 13), true), 9, "Tessel Max 2.1/QX4 Tessel Max Setup.exe", juce::Time::getCurrentTime());
    juce::MemoryOutputStream bytes;
    ASSERT_TRUE (zip.writeToStream (bytes, nullptr));
    request.publish ("tesselmax/TesselMax_2.1.zip", {});
    (request.packages / "tesselmax/TesselMax_2.1.zip").replaceWithData (bytes.getData(), bytes.getDataSize());
    request.host.describeSignature (juce::MemoryBlock ("not a program", 13), "signed by " + FakeInstaller::makersName());
    chooseTesselMaxNewBuildWithDriver();

    request.start ("tesselmax/TesselMax_2.1.zip", "Tessel Max");

    // Well before the 30 s after which the watch would give up on a dialog.
    ASSERT_TRUE (request.waitFor (StatusText::installError, 15000)) << request.getStatuses().joinIntoString ("\n");
    EXPECT_EQ (request.getOutcomes(), juce::StringArray (StatusText::downloaded, StatusText::installError));
    EXPECT_FALSE (request.monitor->isTimerRunning()) << "nothing is left to watch";
}

TEST (DownloadMonitor, InstallerFailurePageGivesItsOwnText)
{
    MonitoredRequest request;
    request.publishArchive ("tesselmax/TesselMax_2.1.zip", "QX4 Tessel Max Setup.failure.exe");
    chooseTesselMaxNewBuildWithDriver();

    request.start ("tesselmax/TesselMax_2.1.zip", "Tessel Max");
    ASSERT_TRUE (request.waitForOutcomes (2)) << request.getStatuses().joinIntoString ("\n");

    const auto outcomes = request.getOutcomes();
    EXPECT_EQ (outcomes[0], StatusText::downloaded);
    EXPECT_TRUE (StatusText::isInstallerFailure (outcomes[1]));
    EXPECT_TRUE (outcomes[1].endsWith ("(7)")) << outcomes[1];
    EXPECT_TRUE (StatusText::isTerminal (outcomes[1]));
}

TEST (DownloadMonitor, PackageWithoutDialogsIsReportedByTheResultHandling)
{
    MonitoredRequest request;
    request.publish ("arc2/Vortex Deck Setup.silent.exe", FakeInstaller::getScript().loadFileAsString());
    isNotQt = false;
    noDriverIncluded = true;

    request.start ("arc2/Vortex Deck Setup.silent.exe", "Vortex Deck", "Arc 2");
    ASSERT_TRUE (request.waitFor (StatusText::installed)) << request.getStatuses().joinIntoString ("\n");

    EXPECT_EQ (request.getOutcomes(), juce::StringArray (StatusText::downloaded, StatusText::installed));
    EXPECT_TRUE (request.log.contains ("<DownloadMonitor::timerCallback> ENtesselmax, vortexdeck, KeyWeave, Driver and Plugin no need to click any button, stop timer clock"));
    EXPECT_FALSE (request.monitor->isTimerRunning());

    ASSERT_TRUE (FakeInstaller::waitForInstallersToEnd());
    const auto runs = FakeInstaller::readRuns (request.workFolder.getChildFile ("Vortex%20Deck%20Setup.silent.exe"));
    ASSERT_EQ (runs.size(), 1u);
    EXPECT_EQ (runs[0].arguments, juce::StringArray ("/silent", "/allusers"));
}

TEST (DownloadMonitor, DamagedPackageIsAnUnzipErrorAndTheNextPackageInstalls)
{
    MonitoredRequest request;
    chooseTesselMaxNewBuildWithDriver();

    // The installer is whole; the data after it arrives damaged.
    const auto damaged = request.packages / "tesselmax/TesselMax_2.0.zip";
    juce::ZipFile::Builder builder;
    const auto script = FakeInstaller::getScript().loadFileAsString();
    const auto data = juce::String::repeatedString ("driver data ", 50000);
    builder.addEntry (new juce::MemoryInputStream (script.toRawUTF8(), script.getNumBytesAsUTF8(), true), 9, "Package/QX4 Tessel Max Setup.success.exe", juce::Time::getCurrentTime());
    builder.addEntry (new juce::MemoryInputStream (data.toRawUTF8(), data.getNumBytesAsUTF8(), true), 0, "Package/driver.cab", juce::Time::getCurrentTime());
    damaged.getParentDirectory().createDirectory();
    {
        juce::FileOutputStream out (damaged);
        builder.writeToStream (out, nullptr);
    }
    ASSERT_TRUE (ZipBytes::changeByteOfEntryData (damaged, "Package/driver.cab"));
    lastInstallerPath = "from before";

    request.start ("tesselmax/TesselMax_2.0.zip", "Tessel Max");
    ASSERT_TRUE (request.waitFor (StatusText::unzipError)) << request.getStatuses().joinIntoString ("\n");

    EXPECT_EQ (request.getOutcomes(), juce::StringArray (StatusText::downloaded, StatusText::unzipError)) << "a damaged archive is no full disk";
    EXPECT_FALSE (request.monitor->isTimerRunning()) << "the request has ended";
    EXPECT_EQ (lastInstallerPath, "from before") << "nothing was started";
    EXPECT_TRUE (request.log.getLines().joinIntoString ("\n").contains ("<handleDownloadResult> Failed to unpack entry 1 (Package/driver.cab): CRC-32 "));
    EXPECT_EQ (request.workFolder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0) << "nothing of the package is left";

    // The next package, in the same work folder, installs as if nothing had happened.
    request.publishArchive ("tesselmax/TesselMax_2.1.zip", "QX4 Tessel Max Setup.success.exe");
    request.start ("tesselmax/TesselMax_2.1.zip", "Tessel Max");
    ASSERT_TRUE (request.waitFor (StatusText::installed)) << request.getStatuses().joinIntoString ("\n");
    EXPECT_EQ (lastInstallerPath, request.workFolder.getChildFile ("TesselMax_2.1/Package/QX4 Tessel Max Setup.success.exe").getFullPathName());
}

TEST (DownloadMonitor, FailedDownloadReportsAnErrorAndLetsTheDownloaderGo)
{
    MonitoredRequest request;
    request.start ("qx4/missing.zip", "HubDriver");

    ASSERT_TRUE (request.waitFor (StatusText::downloadError));
    EXPECT_TRUE (request.log.contains ("<DownloadMonitor::timerCallback> Download failed"));
    EXPECT_TRUE (request.log.countContaining ("<ChunkedDownloader> Download error: ") > 0);

    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return ! request.monitor->hasDownloader(); }));
    EXPECT_FALSE (request.monitor->isTimerRunning());
    EXPECT_EQ (request.getOutcomes(), juce::StringArray (StatusText::downloadError));
}

TEST (DownloadMonitor, CancelDuringTheDownloadStopsItAndRemovesTheFile)
{
    MonitoredRequest request ("32k");
    juce::MemoryBlock data (512 * 1024);
    juce::Random().fillBitsRandomly (data.getData(), data.getSize());
    (request.packages / "qx4").createDirectory();
    (request.packages / "qx4/HubDriver_4.2_x64.zip").replaceWithData (data.getData(), data.getSize());

    request.start ("qx4/HubDriver_4.2_x64.zip", "HubDriver");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return request.getStatuses().size() >= 2; }));

    cancelRequested = true;
    ASSERT_TRUE (request.waitFor (StatusText::downloadCancelled));

    EXPECT_EQ (request.getOutcomes(), juce::StringArray (StatusText::downloadCancelled));
    EXPECT_FALSE (request.monitor->getTargetFile().exists());
    EXPECT_FALSE (request.monitor->hasDownloader());
    EXPECT_FALSE (request.monitor->isTimerRunning());

    // Progress while the download ran: percent and bytes per second.
    const auto first = request.getStatuses()[0];
    EXPECT_TRUE (first.matchesWildcard ("*.??????% *", false)) << first;
}

TEST (DownloadMonitor, CanBeDestroyedAtAnyTimeDuringTheDownload)
{
    for (auto delayMs : { 0, 50, 400 })
    {
        MonitoredRequest request ("64k");
        juce::MemoryBlock data (2 * 1024 * 1024);
        (request.packages / "qx4").createDirectory();
        (request.packages / "qx4/HubDriver.zip").replaceWithData (data.getData(), data.getSize());

        request.start ("qx4/HubDriver.zip", "HubDriver");
        runMessageLoopFor (delayMs);

        request.monitor.reset();
        runMessageLoopFor (100);

        EXPECT_TRUE (request.getOutcomes().isEmpty()) << "no status after the monitor has gone";
        EXPECT_FALSE ((request.workFolder.getChildFile ("HubDriver.zip")).exists());
    }
}

namespace
{
/** A request whose ticks the test drives itself, each once the monitor's
    worker has finished what the previous tick gave it.
*/
struct DrivenRequest : MonitoredRequest
{
    /** Downloads `path`, then holds the timer (running, so the watch goes on). */
    void download (const juce::String& path, const juce::String& softwareName)
    {
        start (path, softwareName);
        monitor->startTimer (1000000);
        ASSERT_TRUE (waitFor (StatusText::downloaded));
        ASSERT_TRUE (runMessageLoopUntil ([&]
                                          { return log.countContaining ("Downloaded in") == 1; }));
    }

    void tick()
    {
        EXPECT_TRUE (runMessageLoopUntil ([&]
                                          { return monitor->isWorkerIdle(); }));
        monitor->timerCallback();
    }

    /** Ticks until the monitor stops (at most `limit`); how many it took. */
    int tickUntilStopped (int limit)
    {
        int calls = 0;

        while (calls < limit && monitor->isTimerRunning())
        {
            tick();
            ++calls;
        }

        return calls;
    }
};
} // namespace

TEST (DownloadMonitor, InstallerPhaseWithoutADialogEndsByTheInstallersOwnWord)
{
    chooseTesselMaxNewBuildWithDriver();

    // One tick takes the started installer; 61 more without its dialog end
    // the watch. One still running then gives "Time out", and its exit code
    // has the last word once it ends.
    const struct
    {
        const char* what;
        int exitCode;
        bool endsLate;
        juce::String statuses;
    } cases[] = {
        { "ended, saying it installed", 0, false, StatusText::installed },
        { "ended, saying it failed", 7, false, StatusText::installError },
        { "still running, then saying it installed", 0, true, juce::String (StatusText::timeOut) + "|" + StatusText::installed },
        { "still running, then saying it failed", 7, true, juce::String (StatusText::timeOut) + "|" + StatusText::installError },
    };

    for (const auto& c : cases)
    {
        DrivenRequest request;
        request.publish ("tesselmax/Tessel Max Setup.exe", "#!/bin/sh\nwhile [ ! -e \"$0.go\" ]; do sleep 0.05; done\nexit " + juce::String (c.exitCode) + "\n");
        request.download ("tesselmax/Tessel Max Setup.exe", "Tessel Max");
        request.tick(); // the started installer is taken
        const auto go = juce::File (lastInstallerPath.get() + ".go");

        // The installer ends (or not) while nobody looks.
        if (! c.endsLate)
        {
            ASSERT_TRUE (go.create());
            ASSERT_TRUE (FakeInstaller::waitForInstallersToEnd());
        }

        EXPECT_EQ (request.tickUntilStopped (c.endsLate ? 61 : 100), 61) << c.what;
        EXPECT_TRUE (request.log.contains ("<DownloadMonitor::timerCallback> Timeout waiting!")) << c.what;

        if (c.endsLate)
        {
            EXPECT_TRUE (request.monitor->isTimerRunning()) << c.what << ": the installer is still followed";
            request.tick();
            EXPECT_EQ (request.getOutcomes().strings.getLast(), StatusText::timeOut) << c.what;

            ASSERT_TRUE (go.create());
            ASSERT_TRUE (FakeInstaller::waitForInstallersToEnd());
            EXPECT_EQ (request.tickUntilStopped (2), 1) << c.what;
        }

        EXPECT_EQ (request.getOutcomes().joinIntoString ("|"), juce::String (StatusText::downloaded) + "|" + c.statuses) << c.what;
    }
}

TEST (DownloadMonitor, CancelDuringTheInstallerPhaseEndsTheRequestAndRemovesTheFile)
{
    chooseTesselMaxNewBuildWithDriver();

    // Before the started installer is taken, and while its dialog is watched for.
    for (const int ticksBefore : { 0, 3 })
    {
        DrivenRequest request;
        request.publish ("tesselmax/Tessel Max Setup.exe", "#!/bin/sh\nsleep 3\n");
        request.download ("tesselmax/Tessel Max Setup.exe", "Tessel Max");

        for (int i = 0; i < ticksBefore; ++i)
            request.tick();

        ASSERT_TRUE (request.monitor->isTimerRunning());
        cancelRequested = true;
        request.monitor->timerCallback();

        EXPECT_EQ (request.getOutcomes(), juce::StringArray (StatusText::downloaded, StatusText::downloadCancelled)) << ticksBefore;
        EXPECT_FALSE (request.monitor->getTargetFile().exists()) << ticksBefore;
        EXPECT_FALSE (request.monitor->isTimerRunning());
        cancelRequested = false;
    }
}

TEST (DownloadMonitor, InstallerPageThatNeedsTheUserEndsInManualInstall)
{
    chooseTesselMaxNewBuildWithDriver();

    // One tick takes the started installer, the next starts the first look;
    // every later tick takes a look's outcome.
    const struct
    {
        const char* what;
        juce::String title;
        std::vector<FakeWindowAutomation::Control> page;
        bool textsChange;
        int ticks;
    } cases[] = {
        // Pressed on every look, and the page stays: stuck after 21 presses in a row.
        { "a start page that does not move on", "QX4 Tessel Max Setup", { { "Button", "INSTALL" } }, false, 1 + 1 + 22 },
        // Seen on every look: two minutes of an unknown page.
        { "a page no rule knows", "QX4 Tessel Max Setup", { { "Static", "Choose the destination folder" }, { "Button", "Browse..." } }, false, 1 + 1 + 241 },
        // The same, with a title the ANSI search cannot find again.
        { "a page no rule knows, titled outside the code page", juce::String (juce::CharPointer_UTF8 ("QX4 \xe5\xae\x89\xe8\xa3\x85")), { { "Static", "Choose the destination folder" } }, false, 1 + 1 + 241 },
        // Progress: not stuck while its texts change (its longer bound is PageWatch's).
        { "a page no rule knows that shows progress", "QX4 Tessel Max Setup", { { "Static", "Copying files" } }, true, 0 },
    };

    for (const auto& c : cases)
    {
        DrivenRequest request;
        request.publish ("tesselmax/Tessel Max Setup.exe", "#!/bin/sh\nexit 0\n");
        request.download ("tesselmax/Tessel Max Setup.exe", "Tessel Max");

        FakeWindowAutomation windows;
        const auto dialog = windows.addWindow ("#32770", c.title, c.page);

        int ticks = 0;

        for (; ticks < 300 && request.monitor->isTimerRunning(); ++ticks)
        {
            // Between looks, as a progress page changes its text.
            if (c.textsChange && runMessageLoopUntil ([&]
                                                      { return request.monitor->isWorkerIdle(); }))
                windows.setText (dialog, 0, "Copying file " + juce::String (ticks));

            request.tick();
        }

        if (c.ticks == 0)
        {
            EXPECT_TRUE (request.monitor->isTimerRunning()) << c.what;
            EXPECT_EQ (request.getOutcomes(), juce::StringArray (StatusText::downloaded)) << c.what;
            EXPECT_TRUE (runMessageLoopUntil ([&]
                                              { return request.monitor->isWorkerIdle(); }));
            continue;
        }

        EXPECT_EQ (ticks, c.ticks) << c.what;
        EXPECT_EQ (request.getOutcomes().joinIntoString ("|"), juce::String (StatusText::downloaded) + "|" + StatusText::manualInstall) << c.what;
        EXPECT_FALSE (request.log.contains ("<DownloadMonitor::timerCallback> Timeout waiting!")) << c.what;
    }
}

TEST (DownloadMonitor, SightingsOfTheInstallersDialogAreCountedAcrossRequests)
{
    DrivenRequest request;
    request.publishArchive ("qx4/HubDriver.zip", "QX4 Setup.silent.exe");
    isEnQx3 = true; // a HubDriver fetched online: watched while its installer runs

    request.download ("qx4/HubDriver.zip", "HubDriver");
    request.tick(); // the started installer is taken

    FakeWindowAutomation windows;
    windows.addWindow ("#32770", "QX4 Setup", { { "Static", "Installing USB drivers." } });

    windowSightings = 9; // seen by earlier requests
    request.tick(); // looks
    request.tick(); // the look's outcome
    EXPECT_EQ (windowSightings, 10);
    EXPECT_TRUE (request.monitor->hasDownloader());

    request.tick();
    EXPECT_EQ (windowSightings, 0);
    EXPECT_FALSE (request.monitor->hasDownloader());
    EXPECT_TRUE (request.log.contains ("<DownloadMonitor::timerCallback> Downloaded, auto installing..."));

    // A page that is being worked on is no reason to give up.
    for (int tick = 0; tick < 300; ++tick)
        request.tick();

    EXPECT_FALSE (request.log.contains ("<DownloadMonitor::timerCallback> Timeout waiting!"));
    EXPECT_EQ (request.getOutcomes(), juce::StringArray (StatusText::downloaded));

    // The last look is over before the fake desktop goes.
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return request.monitor->isWorkerIdle(); }));
}

TEST (DownloadMonitor, GoesAtOnceWhileTheInstallersDialogDoesNotTakeAClick)
{
    chooseTesselMaxNewBuildWithDriver();

    // Let go of by a new request, and cancelled before that.
    for (const bool cancelFirst : { false, true })
    {
        FakeWindowAutomation windows; // outlives the click in hand
        DrivenRequest request;
        request.publish ("tesselmax/Tessel Max Setup.exe", "#!/bin/sh\nexit 0\n");
        request.download ("tesselmax/Tessel Max Setup.exe", "Tessel Max");

        windows.addWindow ("#32770", "QX4 Tessel Max Setup", { { "Button", "INSTALL" } });
        windows.hangClicks();
        request.tick(); // the started installer is taken
        request.tick(); // the first look presses INSTALL, which hangs
        ASSERT_TRUE (windows.waitForHungClick (10000));

        const auto start = juce::Time::getMillisecondCounterHiRes();

        if (cancelFirst)
        {
            cancelRequested = true;
            request.monitor->timerCallback();
            EXPECT_FALSE (request.monitor->isTimerRunning());
        }

        request.monitor.reset();
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 1000.0) << cancelFirst;

        // The click ends later, its look with it, and nothing more is said.
        const auto outcomes = request.getOutcomes();
        windows.releaseClicks();
        EXPECT_TRUE (waitForDetachedThreads (30000));
        runMessageLoopFor (50);
        EXPECT_EQ (request.getOutcomes(), outcomes) << cancelFirst;
        EXPECT_EQ (outcomes.strings.getLast(), cancelFirst ? StatusText::downloadCancelled : StatusText::downloaded);
        cancelRequested = false;
    }
}

TEST (DownloadMonitor, SpeedLineUsesWholeUnits)
{
    EXPECT_EQ (DownloadMonitor::describeSpeed (50000000, 10), "4MB/s");
    EXPECT_EQ (DownloadMonitor::describeSpeed (50000000, 0), "47MB/s") << "within the first second: divided by 1";
    EXPECT_EQ (DownloadMonitor::describeSpeed (1048576, 1), "1024KB/s");
    EXPECT_EQ (DownloadMonitor::describeSpeed (1048577, 1), "1MB/s");
    EXPECT_EQ (DownloadMonitor::describeSpeed (1025, 1), "1KB/s");
    EXPECT_EQ (DownloadMonitor::describeSpeed (1024, 1), "1024B/s");
    EXPECT_EQ (DownloadMonitor::describeSpeed ((juce::int64) 6 << 30, 2), "3072MB/s") << "sizes beyond 32 bits";
}

TEST (DownloadMonitor, OnlySomePackagesNeedTheirDialogsAnswered)
{
    const auto watched = [] (const char* software, bool enTesselMax = false)
    {
        Selection s;
        s.softwareName = software;
        s.isEnTesselMax = enTesselMax;
        return DownloadMonitor::needsDialogWatch (s);
    };

    isNotQt = false;
    noDriverIncluded = false;
    isEnQx3 = false;
    isOldKeyWeave = false;
    EXPECT_TRUE (watched ("Tessel Max"));
    EXPECT_FALSE (watched ("Tessel Max", true));
    EXPECT_FALSE (watched ("Vortex Deck"));
    EXPECT_FALSE (watched ("Plugin"));
    EXPECT_FALSE (watched ("Driver"));
    EXPECT_TRUE (watched ("KeyWeave"));
    EXPECT_TRUE (watched ("HubDriver"));

    isOldKeyWeave = true;
    EXPECT_FALSE (watched ("KeyWeave"));

    isEnQx3 = true;
    EXPECT_TRUE (watched ("Driver")) << "the online driver shows dialogs";

    isNotQt = true;
    EXPECT_TRUE (watched ("Tessel Max", true)) << "the new English build with its driver";
    noDriverIncluded = true;
    EXPECT_FALSE (watched ("Tessel Max", true));
}
