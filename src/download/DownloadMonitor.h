#pragma once

#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

#include "devices/SharedSettings.h"
#include "download/DownloadResultHandling.h"
#include "download/InstallMonitor.h"
#include "download/PageWatch.h"
#include "download/Selection.h"

class ChunkedDownloader;

/** Follows one install request from the first byte to the end of the
    installation: it runs the chunked download, reports progress and speed
    twice a second, hands the finished file to the result handling (unpack,
    pick and launch the installer), and then, for installers that show
    dialogs, answers them through an InstallMonitor until the installation
    is done, has failed, or no dialog has been seen for about 30 s.

    A download or an unpacking that fails for want of disk space ends as
    any failed one ("Download error", "Unzip error") and is then followed
    by "Disk full", which says why.

    Every request ends with a status the user can act on: an installer that
    shows no dialog is judged by its exit code once the watch gives up
    ("Installed", "Install error"), or "Time out" while it still runs; a
    dialog whose page stays unknown, or does not move on when pressed, ends
    in "Manual install".

    Unpacking, starting the installer and pressing its buttons happen on
    worker threads of the monitor, one job at a time, so the message thread
    never waits for them; their results are taken on the next tick. The
    monitor never waits for a job either: one still running when the
    monitor goes ends on its own, and its result is dropped.

    After "Time out" the installer is still followed: once it ends, its exit
    code gives "Installed" or "Install error".

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

    /** True while the worker has nothing in hand: the result handling and
        the last look at the dialog have ended (tests drive ticks by it).
    */
    bool isWorkerIdle() const;

    /** Whether the installer of this request shows dialogs that need answering. */
    static bool needsDialogWatch (const Selection& selection);

    /** Ticks without a sighting of the installer's dialog after which the watch ends. */
    static constexpr int tickLimit = 60;

private:
    struct Background;

    void handleCompletion (int seconds);
    void handleError (const juce::String& message);
    void reportFullDisk (bool diskFull);
    void takeLaunch();
    void watchInstallerDialog();
    void takeWatchStep();
    void endWithoutDialog();
    void endRequest (const juce::String& status);
    void runOnWorker (std::function<void()> job);

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
    std::shared_ptr<InstallMonitor> installMonitor; // shared with the look in hand

    // The installer phase.
    std::shared_ptr<Background> background;
    std::unique_ptr<DownloadResult::Launch> launch; // once the result handling has ended
    juce::uint32 settleAt = 0; // when a package without dialogs is judged; 0: not waiting
    bool watchingDialogs = false;
    PageWatch pageWatch;
    bool awaitingEnd = false; // after "Time out": the installer's end has the last word

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DownloadMonitor)
};
