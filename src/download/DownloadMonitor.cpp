#include "download/DownloadMonitor.h"

#include "base/DetachedThread.h"
#include "base/ProcessState.h"
#include "download/ChunkedDownloader.h"
#include "download/InstallMonitor.h"
#include "download/InstallerLauncher.h"
#include "download/LocalFileName.h"
#include "download/StatusText.h"

#include <mutex>
#include <optional>

namespace
{
constexpr int numberOfChunks = 8;
constexpr int tickIntervalMs = 500;
constexpr int sightingsBeforeRelease = 10;
} // namespace

/** What the worker jobs share with the monitor: the result handling's end
    and the outcome of each look at the installer's dialog, which the
    message thread takes on its ticks. Owned jointly by the monitor and its
    jobs, so a job still running when the monitor goes (a click the dialog
    does not take) ends on its own and its result is dropped with it.
*/
struct DownloadMonitor::Background
{
    struct WatchStep
    {
        bool sighted = false;
        juce::String result;
        InstallMonitor::Page page = InstallMonitor::Page::none;
        juce::String texts;
    };

    std::atomic<bool> stop { false };
    std::atomic<int> jobsInHand { 0 };

    std::mutex lock;
    std::optional<DownloadResult::Launch> launch;
    std::optional<WatchStep> step;

    // Message thread only: a look at the dialog is under way.
    bool stepRunning = false;

    template <typename Value>
    std::optional<Value> take (std::optional<Value>& slot)
    {
        const std::lock_guard<std::mutex> guard (lock);
        auto value = std::move (slot);
        slot.reset();
        return value;
    }
};

DownloadMonitor::DownloadMonitor (Selection selectionToUse, juce::String workFolderPath, std::function<void (const juce::String&)> callback)
    : selection (std::move (selectionToUse)),
      url (selection.url),
      statusCallback (std::move (callback)),
      settings (&getSharedSettings()),
      background (std::make_shared<Background>())
{
    // The server chooses the name: keep it one plain name inside the work folder.
    targetFile = juce::File (workFolderPath).getChildFile (LocalFileName::makeSafe (url.getFileName(), "download.bin"));

    juce::Logger::writeToLog ("<DownloadMonitor> Download: " + selection.url);

    // The downloader reports only under the MessageManagerLock, which this
    // (message) thread holds until the callbacks below are in place.
    // Another copy downloading the same package holds its entry: this one
    // then downloads on its own, beside the target.
    auto storeEntry = DownloadStore (getDownloadStoreFolder (*settings)).open (url.toString (true));

    downloader = std::make_unique<ChunkedDownloader> (url, targetFile, numberOfChunks, std::move (storeEntry));

    juce::Logger::writeToLog ("<DownloadMonitor> _tmpDir: " + targetFile.getFullPathName());

    downloader->onComplete = [this] (int seconds)
    { handleCompletion (seconds); };
    downloader->onError = [this] (const juce::String& message)
    { handleError (message); };

    startTimer (tickIntervalMs);

    installMonitor = std::make_shared<InstallMonitor> (selection.deviceName);
}

DownloadMonitor::~DownloadMonitor()
{
    stopTimer();

    // Not waited for: the job in hand ends at its next step (one archive
    // entry, one look at the dialog, a click within its bound) and holds
    // what it uses itself.
    background->stop = true;

    installMonitor.reset();
    downloader.reset();
}

bool DownloadMonitor::isWorkerIdle() const
{
    return background->jobsInHand.load() == 0;
}

void DownloadMonitor::runOnWorker (std::function<void()> job)
{
    ++background->jobsInHand;

    const auto body = [shared = background, job]
    {
        job();
        --shared->jobsInHand;
    };

    if (! runOnDetachedThread (body))
        body();
}

juce::String DownloadMonitor::describeSpeed (juce::int64 totalBytes, int seconds)
{
    const auto rate = totalBytes / (seconds != 0 ? seconds : 1);

    if (rate > 1048576)
        return juce::String (rate / 1048576) + "MB/s";

    if (rate > 1024)
        return juce::String (rate / 1024) + "KB/s";

    return juce::String (rate) + "B/s";
}

bool DownloadMonitor::needsDialogWatch (const Selection& s)
{
    const auto& software = s.softwareName;

    return ! ((s.isEnTesselMax && ! isNotQt)
              || software == "Vortex Deck"
              || (software == "KeyWeave" && isOldKeyWeave)
              || (software == "Driver" && ! isEnQx3)
              || software == "Plugin"
              || (s.isEnTesselMax && isNotQt && noDriverIncluded));
}

void DownloadMonitor::handleCompletion (int seconds)
{
    juce::Logger::writeToLog (juce::String::formatted ("<DownloadMonitor::timerCallback> Downloaded in %ds", seconds));
    statusCallback (StatusText::downloaded);

    const auto total = downloader != nullptr ? downloader->getProgress().second : (juce::int64) 0;
    juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> Download speed: " + describeSpeed (total, seconds));

    // Unpacking and starting the installer take their time: not while the
    // message thread is held for this call.
    const auto unpackAndLaunch = [shared = background, fileUrl = url, file = targetFile, request = selection]
    {
        const auto shouldStop = [shared]
        { return shared->stop.load(); };

        auto result = DownloadResult::unpackAndLaunch (fileUrl, file, request, shouldStop);

        const std::lock_guard<std::mutex> guard (shared->lock);
        shared->launch = std::move (result);
    };

    runOnWorker (unpackAndLaunch);

    downloaded = true;
    ticks = 0;
}

void DownloadMonitor::handleError (const juce::String&)
{
    juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> Download failed");
    finished = true;
    statusCallback (StatusText::downloadError);
    reportFullDisk (downloader != nullptr && downloader->ranOutOfDiskSpace());

    // Refused before the first range: the user is told how much room it takes, and where.
    if (const auto shortage = downloader != nullptr ? downloader->getSpaceShortage() : std::nullopt)
    {
        juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> Not enough disk space: " + juce::String (shortage->first)
                                  + " bytes needed on " + shortage->second);
        statusCallback (StatusText::makeSpaceShortage (shortage->first, shortage->second));
    }
}

void DownloadMonitor::reportFullDisk (bool diskFull)
{
    // After the request's end, so that the status line tells the user what
    // to do about it rather than blaming the server.
    if (! diskFull)
        return;

    juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> The disk is full");
    statusCallback (StatusText::diskFull);
}

void DownloadMonitor::endRequest (const juce::String& status)
{
    stopTimer();
    statusCallback (status);
}

void DownloadMonitor::takeLaunch()
{
    auto taken = background->take (background->launch);

    if (! taken.has_value())
        return;

    launch = std::make_unique<DownloadResult::Launch> (std::move (*taken));
    ticks = 0;

    if (launch->kind == DownloadResult::Launch::Kind::noInstaller || launch->kind == DownloadResult::Launch::Kind::wrongPackage)
    {
        endRequest (StatusText::downloadError);
        return;
    }

    // Removed, never started: the status line says why.
    if (launch->kind == DownloadResult::Launch::Kind::notSigned)
    {
        endRequest (StatusText::installError);
        statusCallback (StatusText::notSigned);
        return;
    }

    if (launch->kind == DownloadResult::Launch::Kind::unpackFailed)
    {
        juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> Unzip failed, nothing was started");
        endRequest (StatusText::unzipError);
        reportFullDisk (launch->diskFull);
        return;
    }

    // Nothing runs whose dialog could be watched or whose end awaited.
    if (launch->kind == DownloadResult::Launch::Kind::notStarted)
    {
        juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> The installer could not be started: " + launch->installer.getFullPathName());
        endRequest (StatusText::installError);
        return;
    }

    watchingDialogs = needsDialogWatch (selection);

    // Only this installer's dialogs (and those of what it starts) are answered.
    if (launch->run != nullptr)
        installMonitor->setInstallerProcess (launch->run->getProcessId());

    // A package whose dialogs nobody answers is judged a moment after its
    // start, whichever rule named it.
    if (DownloadResult::reportsOwnOutcome (selection, *settings) || ! watchingDialogs)
        settleAt = juce::Time::getMillisecondCounter() + (juce::uint32) DownloadResult::settleTimeMs;

    if (! watchingDialogs)
    {
        juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> ENtesselmax, vortexdeck, KeyWeave, Driver and Plugin no need to click any button, stop timer clock");

        if (settleAt == 0)
            stopTimer();
    }
}

void DownloadMonitor::endWithoutDialog()
{
    // The installer's own word, once it has ended. Still running, it is the
    // user's to finish: "Time out" gives the window back, and the ticks go on
    // until its end, which then has the last word.
    if (launch->run != nullptr && ! launch->run->hasEnded())
    {
        awaitingEnd = true;
        statusCallback (StatusText::timeOut);
        return;
    }

    endRequest (DownloadResult::settledStatus (*launch));
}

void DownloadMonitor::takeWatchStep()
{
    auto step = background->take (background->step);

    if (! step.has_value())
        return;

    background->stepRunning = false;

    if (! step->sighted)
        return;

    ticks = 0;

    if (++windowSightings > sightingsBeforeRelease)
    {
        juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> Downloaded, auto installing...");
        windowSightings = 0;
        downloader.reset();
    }

    if (step->result == InstallMonitor::resultDone)
    {
        endRequest (StatusText::installed);
        return;
    }

    if (StatusText::isInstallerFailure (step->result))
    {
        endRequest (step->result);
        return;
    }

    // A page that stays beyond its bound (one that no rule knows, one that
    // does not move on when pressed, a driver installation that never ends)
    // waits for the user: the request ends so the window is usable again.
    if (pageWatch.isOverdue (step->page, step->texts))
    {
        juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> The installer's page needs the user: " + installMonitor->getWindowTitle());
        endRequest (StatusText::manualInstall);
    }
}

void DownloadMonitor::watchInstallerDialog()
{
    takeWatchStep();

    if (! isTimerRunning())
        return;

    if (ticks > tickLimit)
    {
        ticks = 0;

        // The EN QX4 driver fetches more online and may show its dialog late:
        // it is waited for while it runs.
        if (! isEnQx3 || launch->run == nullptr || launch->run->hasEnded())
        {
            juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> Timeout waiting!");
            endWithoutDialog();
            return;
        }
    }

    if (background->stepRunning)
        return;

    // One look at a time, on the worker: pressing a button waits for the
    // installer to take the press.
    background->stepRunning = true;
    const auto lookAtDialog = [shared = background, watcher = installMonitor]
    {
        Background::WatchStep step;

        if (! shared->stop && watcher->findInstallerWindow())
        {
            step.result = watcher->analyseWindow();
            step.page = watcher->getLastPage();
            step.texts = watcher->getLastTexts();

            // A dialog gone between the two looks was not seen.
            step.sighted = step.page != InstallMonitor::Page::none;
        }

        const std::lock_guard<std::mutex> guard (shared->lock);
        shared->step = std::move (step);
    };

    runOnWorker (lookAtDialog);
}

void DownloadMonitor::timerCallback()
{
    if (finished)
    {
        downloader.reset();
        stopTimer();
        return;
    }

    if (cancelRequested)
    {
        // The downloader goes first, so nothing writes the file any more
        // when it is removed; a job of the worker is told to stop and not
        // waited for (it drops what it would have reported).
        stopTimer();
        downloader.reset();
        background->stop = true;

        if (targetFile.exists() && ! targetFile.deleteFile())
            juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> The download is still in use and stays until the work folder goes: " + targetFile.getFullPathName());

        statusCallback (StatusText::downloadCancelled);
        return;
    }

    ++ticks;

    if (! downloaded)
    {
        if (downloader == nullptr)
            return;

        const auto [received, total] = downloader->getProgress();

        // Bytes kept from an earlier run arrived at no speed.
        lastBytes = juce::jmax (lastBytes, downloader->getResumedBytes());
        const auto delta = received - lastBytes;
        lastBytes = received;

        // The tick is half a second.
        statusCallback (StatusText::makeProgress (received, total, delta * 2));
        return;
    }

    if (launch == nullptr)
    {
        // The installer's 30 s count from its start.
        ticks = 0;
        takeLaunch();
        return;
    }

    if (settleAt != 0)
    {
        if (juce::Time::getMillisecondCounter() < settleAt)
            return;

        settleAt = 0;
        const auto status = DownloadResult::settledStatus (*launch);

        if (! watchingDialogs)
            stopTimer();

        statusCallback (status);
        return;
    }

    if (awaitingEnd)
    {
        if (launch->run->hasEnded())
        {
            juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> The installer has ended after the time-out");
            endRequest (DownloadResult::settledStatus (*launch));
        }

        return;
    }

    if (watchingDialogs)
        watchInstallerDialog();
}
