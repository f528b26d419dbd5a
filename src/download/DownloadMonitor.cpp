#include "download/DownloadMonitor.h"

#include "core/ProcessState.h"
#include "download/ChunkedDownloader.h"
#include "download/DownloadResultHandling.h"
#include "download/InstallMonitor.h"
#include "download/LocalFileName.h"
#include "download/StatusText.h"

namespace
{
constexpr int numberOfChunks = 8;
constexpr int tickIntervalMs = 500;
constexpr int sightingsBeforeRelease = 10;
} // namespace

DownloadMonitor::DownloadMonitor (Selection selectionToUse, juce::String workFolderPath, std::function<void (const juce::String&)> callback)
    : selection (std::move (selectionToUse)),
      url (selection.url),
      statusCallback (std::move (callback)),
      settings (&getSharedSettings())
{
    // The server chooses the name: keep it one plain name inside the work folder.
    targetFile = juce::File (workFolderPath).getChildFile (LocalFileName::makeSafe (url.getFileName(), "download.bin"));

    juce::Logger::writeToLog ("<DownloadMonitor> Download: " + selection.url);

    // The downloader reports only under the MessageManagerLock, which this
    // (message) thread holds until the callbacks below are in place.
    downloader = std::make_unique<ChunkedDownloader> (url, targetFile, numberOfChunks);

    juce::Logger::writeToLog ("<DownloadMonitor> _tmpDir: " + targetFile.getFullPathName());

    downloader->onComplete = [this] (int seconds)
    { handleCompletion (seconds); };
    downloader->onError = [this] (const juce::String& message)
    { handleError (message); };

    startTimer (tickIntervalMs);

    installMonitor = std::make_unique<InstallMonitor> (selection.deviceName);
}

DownloadMonitor::~DownloadMonitor()
{
    stopTimer();
    installMonitor.reset();
    downloader.reset();
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

void DownloadMonitor::handleDownloadResult (const std::function<void (const juce::String&)>& callback)
{
    DownloadResult::handle (url, targetFile, selection, *settings, callback);
}

void DownloadMonitor::handleCompletion (int seconds)
{
    juce::Logger::writeToLog (juce::String::formatted ("<DownloadMonitor::timerCallback> Downloaded in %ds", seconds));
    statusCallback (StatusText::downloaded);

    const auto total = downloader != nullptr ? downloader->getProgress().second : (juce::int64) 0;
    juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> Download speed: " + describeSpeed (total, seconds));

    handleDownloadResult (statusCallback);

    if (! needsDialogWatch (selection))
    {
        juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> ENtesselmax, vortexdeck, KeyWeave, Driver and Plugin no need to click any button, stop timer clock");
        stopTimer();
    }

    downloaded = true;
    ticks = 0;
}

void DownloadMonitor::handleError (const juce::String&)
{
    juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> Download failed");
    finished = true;
    statusCallback (StatusText::downloadError);
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
        // The downloader goes first, so nothing writes the file any more when it is removed.
        stopTimer();
        downloader.reset();

        if (targetFile.exists())
            targetFile.deleteFile();

        statusCallback (StatusText::downloadCancelled);
        return;
    }

    ++ticks;

    if (! downloaded)
    {
        if (downloader == nullptr)
            return;

        const auto [received, total] = downloader->getProgress();
        const auto delta = received - lastBytes;
        lastBytes = received;

        // The tick is half a second.
        statusCallback (StatusText::makeProgress (received, total, delta * 2));
        return;
    }

    if (ticks > tickLimit)
    {
        ticks = 0;

        if (! isEnQx3)
        {
            stopTimer();
            juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> Timeout waiting!");
        }
    }

    if (installMonitor->findInstallerWindow())
    {
        ticks = 0;

        if (++windowSightings > sightingsBeforeRelease)
        {
            juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> Downloaded, auto installing...");
            windowSightings = 0;
            downloader.reset();
        }

        const auto result = installMonitor->analyseWindow();

        if (result == InstallMonitor::resultDone)
        {
            statusCallback (StatusText::installed);
            stopTimer();
        }
        else if (StatusText::isInstallerFailure (result))
        {
            statusCallback (result);
        }
    }
}
