#pragma once

#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

#include "devices/SharedSettings.h"
#include "download/Selection.h"

class ChunkedDownloader;
class InstallMonitor;

/** Follows one install request from the first byte to the end of the
    installation: it runs the chunked download, reports progress and speed
    twice a second, hands the finished file to the result handling (unpack,
    pick and launch the installer), and then, for installers that show
    dialogs, answers them through an InstallMonitor until the installation
    is done, has failed, or no dialog has been seen for about 30 s.

    Everything it has to say leaves through the status callback, as a status
    text; the callback is called on the message thread, or on the download
    thread while that holds the MessageManagerLock. The owner may destroy the
    monitor at any time on the message thread.
*/
class DownloadMonitor : public juce::Timer
{
public:
    DownloadMonitor (Selection selection, juce::String workFolderPath, std::function<void (const juce::String&)> statusCallback);
    ~DownloadMonitor() override;

    void timerCallback() override;

    /** Unpacks, picks and launches the installer of the finished download. */
    void handleDownloadResult (const std::function<void (const juce::String&)>& callback);

    /** The file the download is written to. */
    const juce::File& getTargetFile() const { return targetFile; }

    /** True while a downloader object exists (it is let go of when it has failed,
        when the user cancels, or after many installer-window sightings).
    */
    bool hasDownloader() const { return downloader != nullptr; }

    /** The speed line's value: the total divided by the seconds (1 when 0),
        as "<n>MB/s", "<n>KB/s" or "<n>B/s".
    */
    static juce::String describeSpeed (juce::int64 totalBytes, int seconds);

    /** Whether the installer of this request shows dialogs that need answering. */
    static bool needsDialogWatch (const Selection& selection);

    /** Ticks without a sighting of the installer's dialog after which the watch ends. */
    static constexpr int tickLimit = 60;

private:
    void handleCompletion (int seconds);
    void handleError (const juce::String& message);

    Selection selection;
    juce::URL url;
    juce::int64 lastBytes = 0;
    juce::File targetFile;
    std::function<void (const juce::String&)> statusCallback;
    bool downloaded = false;
    bool finished = false;
    int ticks = 0;
    SharedSettings* settings = nullptr;
    std::unique_ptr<ChunkedDownloader> downloader;
    std::unique_ptr<InstallMonitor> installMonitor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DownloadMonitor)
};
