#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "download/DownloadStore.h"

/** Fetches one file over HTTP with several parallel range requests.

    The size probe follows up to five redirects, and the ranges are asked
    for where they lead. Each range goes into its own temporary file; a range that fails is
    retried; at the end the ranges are joined into the target file. The
    temporary files go with the download, whatever its end. The
    thread ("DownloadThread") starts at the end of construction and reports
    once, through onComplete or onError, on its own thread while holding the
    MessageManagerLock. Deleting the object stops the download.

    A range counts as done only when exactly the bytes asked for have arrived
    under the right Content-Range, and the joined file must have exactly the
    size the server announced: whatever goes wrong, a truncated or mixed-up
    file is never handed on. Every range is asked for with the size probe's
    validator (If-Range with its ETag or date) and must come with the same
    one: a file replaced on the server during the download is downloaded
    once more from the start; replaced again, the download fails.
*/
class ChunkedDownloader : public juce::Thread
{
public:
    /** The bytes of one range request, first and last both included. */
    struct ByteRange
    {
        juce::int64 start = 0;
        juce::int64 end = -1;

        juce::int64 getLength() const { return end - start + 1; }
        bool operator== (const ByteRange& other) const { return start == other.start && end == other.end; }
    };

    /** Starts the download thread at once. The ranges go beside the target
        file, or into `storeEntry` when one is given: there they outlive
        this object (a download that fails, or is stopped by deleting this
        object, goes on from its bytes the next time), and each range
        continues from what the entry holds when the file on the server is
        still the same build (same size and validator, asked with If-Range).
        The entry is emptied when the download completes or is cancelled.
    */
    ChunkedDownloader (const juce::URL& url, const juce::File& targetFile, int numChunks, std::unique_ptr<DownloadStore::Entry> storeEntry = nullptr);

    /** Stops the download (waiting up to 10 s for the thread) without
        reporting anything.
    */
    ~ChunkedDownloader() override;

    /** Bytes received so far by the current attempts of all chunks, and the
        file size (0 until the size is known). Safe on any thread.
    */
    std::pair<juce::int64, juce::int64> getProgress() const;

    /** How a file of `size` bytes is split into at most `numChunks` ranges:
        equal ranges of size / numChunks bytes with the remainder on the last,
        and one byte each when the file has fewer bytes than chunks. Empty for
        a size of 0 or less.
    */
    static std::vector<ByteRange> planRanges (juce::int64 size, int numChunks);

    /** The request header line for a range: "Range: bytes=<start>-<end>". */
    static juce::String getRangeHeader (const ByteRange& range);

    /** Whether a Content-Range value ("bytes <start>-<end>/<size>", the size
        possibly "*") names exactly `range` of a file of `totalSize` bytes.
    */
    static bool contentRangeMatches (const juce::String& contentRange, const ByteRange& range, juce::int64 totalSize);

    /** Where a redirect's Location leads from `from`: an absolute http or
        https address, one relative to the server ("/path", "//host/path")
        or to the folder of `from`. Nothing for an empty or unusable value
        or another scheme.
    */
    static std::optional<juce::URL> followLocation (const juce::URL& from, const juce::String& location);

    /** Retries allowed after the first attempt of a chunk. */
    std::atomic<int> maxRetries { 10 };

    /** Pause before each retry, in milliseconds. */
    std::atomic<int> retryDelayMs { 1000 };

    /** An attempt whose transfer falls below this rate over a checkpoint
        interval (a little over a second) has all but stalled: it is
        abandoned and retried. The connections' own stall limit (curl's
        low-speed limit) is 100 B/s as well.
    */
    std::atomic<int> minimumBytesPerSecond { 100 };

    /** An attempt this many times slower than the other ranges (the median
        of their latest rates) is abandoned and retried, once per chunk:
        another connection is likely to do better. A link that is slow for
        every range is waited for.
    */
    std::atomic<int> slowerThanOthersFactor { 8 };

    /** Bytes that were already there from an earlier download of the same
        file when this one began (0 until the size is known).
    */
    juce::int64 getResumedBytes() const { return resumedBytes; }

    /** Called once with the download time in whole seconds. */
    std::function<void (int)> onComplete;

    /** Called once with an error message. */
    std::function<void (const juce::String&)> onError;

    /** True once a write failed because the disk was full (a range or the
        joined file): the download then fails at once, without retries, and
        the run log says so. Safe on any thread; final when onError is called.
    */
    bool ranOutOfDiskSpace() const { return diskFull; }

    /** When the download was refused before its first range for want of
        room: the bytes it needed and the volume's name; nothing otherwise.
        Final when onError is called.
    */
    std::optional<std::pair<juce::int64, juce::String>> getSpaceShortage() const;

    void run() override;

private:
    class StreamSlot;
    class OpenStream;

    enum class PassEnd
    {
        ended, // reported, or stopped without a report
        fileChanged // nothing reported: another build of the file was met
    };

    /** One whole download from the size probe on. */
    PassEnd runPass();
    juce::int64 getFileSize();
    juce::int64 readFileSize (OpenStream& probe);
    void runChunkWorker (int index, ByteRange range, const juce::File& file, std::atomic<int>& retryCount);
    bool downloadChunk (int index, const ByteRange& range, const juce::File& file);
    bool isTooSlow (int index, double bytesPerSecond);
    juce::Result mergeFiles (const juce::Array<juce::File>& chunkFiles);

    /** After a failed write to `file`: whether its volume had no room for the
        bytes still to write; if so, the download is marked as having run out
        of disk space.
    */
    bool noteIfDiskFull (const juce::File& file, juce::int64 stillToWrite);
    void reportError (const juce::String& message);

    /** What the store entry holds that this download can go on from: the
        bytes of each range (all 0 to start from nothing).
    */
    std::vector<juce::int64> takeUpStoredRanges (const std::vector<ByteRange>& ranges);
    void writeStoreRecord (int count);
    void dropEmptyStoreEntry();

    /** Whether the target's volume has room for the whole download from
        here on; reports the error when it has not.
    */
    bool checkRoomFor (const std::vector<ByteRange>& ranges, const std::vector<juce::int64>& kept);

    /** Cancels every open connection and keeps new ones from opening. */
    void stopStreams();
    bool isStopping() const;
    void pauseBeforeRetry (int milliseconds) const;

    // Allocated once, for numChunks entries, so that getProgress can read it
    // on the message thread at any moment.
    std::unique_ptr<std::atomic<juce::int64>[]> chunkProgress;

    // The latest transfer rate of each chunk in bytes per second: over the
    // last checkpoint interval while it runs, over the whole attempt once it
    // is done; 0 when not known.
    std::unique_ptr<std::atomic<juce::int64>[]> chunkRates;

    // Whether a chunk was started afresh for being far slower than the
    // others; each entry is used by its chunk's worker only.
    std::unique_ptr<bool[]> restartedAsSlower;
    juce::int64 startTime = 0;
    std::atomic<juce::int64> totalSize { 0 };
    const juce::URL url;
    std::optional<juce::URL> fileUrl; // after the redirects; set by the size probe, before the workers start
    const juce::File targetFile;
    const int numChunks;
    // The size probe's validator, written before the workers start: the
    // header it came in ("ETag" or "Last-Modified") and its value (empty
    // when the server sent neither).
    juce::String validatorName, validator;
    std::atomic<bool> fileChanged { false };
    std::unique_ptr<DownloadStore::Entry> store;
    // Bytes of each range known to be on the disk (forced there), which is
    // all the store's record may claim; written by the chunk's worker.
    std::unique_ptr<std::atomic<juce::int64>[]> chunkDurable;
    std::atomic<juce::int64> resumedBytes { 0 };
    std::atomic<bool> spaceShort { false };
    juce::int64 spaceNeeded = 0; // with spaceShort, written before it
    juce::String shortVolume;
    std::atomic<bool> diskFull { false };
    std::atomic<int> completedChunks { 0 };
    std::atomic<int> failed { 0 };
    std::atomic<int> runningWorkers { 0 };

    // One per chunk plus one for the size probe: lets another thread cancel a
    // connection that is blocked in a read.
    std::unique_ptr<StreamSlot[]> streamSlots;
    std::atomic<bool> streamsStopped { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChunkedDownloader)
};
