#include "download/ChunkedDownloader.h"

#include "base/ProcessState.h"
#include "download/DiskSpace.h"
#include "platform/VolumeSpace.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <system_error>
#include <thread>

namespace
{
constexpr int connectionTimeoutMs = 5000;
constexpr int maxRedirects = 5;

bool isRedirect (int statusCode)
{
    return statusCode == 301 || statusCode == 302 || statusCode == 303 || statusCode == 307 || statusCode == 308;
}
constexpr int readSize = 8192;
constexpr int fileBufferSize = 16384;
constexpr double checkpointIntervalMs = 1000.0;

// How often a range kept in a store is forced to the disk, and the store's
// record rewritten: what a crash or a power cut loses, a fraction of a second.
constexpr double durableIntervalMs = 200.0;

double now() { return juce::Time::getMillisecondCounterHiRes(); }

/** A non-negative decimal number that fills the whole text; -1 otherwise. */
juce::int64 parseDecimal (const juce::String& text)
{
    if (text.isEmpty() || text.length() > 18 || ! text.containsOnly ("0123456789"))
        return -1;

    return text.getLargeIntValue();
}
} // namespace

//==============================================================================
/** Where a worker publishes the connection it is using, so that another
    thread can cancel it while it is blocked in a read.
*/
class ChunkedDownloader::StreamSlot
{
public:
    std::mutex lock;
    juce::WebInputStream* stream = nullptr;
};

/** A connection registered in a slot for its whole life: opened like
    URL::createInputStream opens one, unregistered before it is deleted.
*/
class ChunkedDownloader::OpenStream
{
public:
    OpenStream (ChunkedDownloader& ownerToUse, StreamSlot& slotToUse, const juce::URL& address, const juce::String& extraHeaders)
        : owner (ownerToUse), slot (slotToUse), stream (address, false)
    {
        if (extraHeaders.isNotEmpty())
            stream.withExtraHeaders (extraHeaders);

        stream.withConnectionTimeout (connectionTimeoutMs);
        stream.withNumRedirectsToFollow (0);

        bool stopped = false;

        {
            const std::lock_guard<std::mutex> guard (slot.lock);
            slot.stream = &stream;
            stopped = owner.streamsStopped || owner.threadShouldExit();
        }

        if (stopped)
            return;

        connected = stream.connect (nullptr);
        statusCode = stream.getStatusCode();
        responseHeaders = stream.getResponseHeaders();
    }

    ~OpenStream()
    {
        const std::lock_guard<std::mutex> guard (slot.lock);
        slot.stream = nullptr;
    }

    /** The stream when the request was answered, nullptr otherwise. */
    juce::WebInputStream* get() { return connected && ! stream.isError() ? &stream : nullptr; }

    int statusCode = 0;
    juce::StringPairArray responseHeaders;

private:
    ChunkedDownloader& owner;
    StreamSlot& slot;
    juce::WebInputStream stream;
    bool connected = false;

    JUCE_DECLARE_NON_COPYABLE (OpenStream)
};

//==============================================================================
ChunkedDownloader::ChunkedDownloader (const juce::URL& urlToFetch, const juce::File& fileToWrite, int chunkCount, std::unique_ptr<DownloadStore::Entry> storeEntry)
    : juce::Thread ("DownloadThread"),
      url (urlToFetch),
      targetFile (fileToWrite),
      numChunks (chunkCount),
      store (std::move (storeEntry))
{
    const auto slots = juce::jmax (1, numChunks);
    chunkProgress.reset (new std::atomic<juce::int64>[(size_t) slots]());
    chunkDurable.reset (new std::atomic<juce::int64>[(size_t) slots]());
    chunkRates.reset (new std::atomic<juce::int64>[(size_t) slots]());
    restartedAsSlower.reset (new bool[(size_t) slots]());
    streamSlots.reset (new StreamSlot[(size_t) slots + 1]);

    startThread();
}

ChunkedDownloader::~ChunkedDownloader()
{
    // A worker blocked in a read would otherwise hold the message thread
    // here until the connection times out.
    signalThreadShouldExit();
    stopStreams();
    stopThread (10000);
}

std::pair<juce::int64, juce::int64> ChunkedDownloader::getProgress() const
{
    juce::int64 received = 0;

    for (int i = 0; i < juce::jmax (1, numChunks); ++i)
        received += chunkProgress[(size_t) i].load();

    return { received, totalSize.load() };
}

//==============================================================================
std::vector<ChunkedDownloader::ByteRange> ChunkedDownloader::planRanges (juce::int64 size, int chunkCount)
{
    std::vector<ByteRange> ranges;

    if (size <= 0)
        return ranges;

    const auto count = (int) juce::jmin ((juce::int64) juce::jmax (1, chunkCount), size);
    const auto chunkSize = size / count;

    for (int i = 0; i < count; ++i)
    {
        const auto start = (juce::int64) i * chunkSize;
        const auto end = i == count - 1 ? size - 1 : start + chunkSize - 1;
        ranges.push_back ({ start, end });
    }

    return ranges;
}

juce::String ChunkedDownloader::getRangeHeader (const ByteRange& range)
{
    return "Range: bytes=" + juce::String (range.start) + "-" + juce::String (range.end);
}

bool ChunkedDownloader::contentRangeMatches (const juce::String& contentRange, const ByteRange& range, juce::int64 total)
{
    const auto value = contentRange.trim();

    if (! value.startsWithIgnoreCase ("bytes "))
        return false;

    const auto rangeText = value.substring (6).trim();
    const auto first = parseDecimal (rangeText.upToFirstOccurrenceOf ("-", false, false));
    const auto last = parseDecimal (rangeText.fromFirstOccurrenceOf ("-", false, false).upToFirstOccurrenceOf ("/", false, false));
    const auto length = rangeText.fromFirstOccurrenceOf ("/", false, false);

    if (! rangeText.contains ("-") || ! rangeText.contains ("/") || first < 0 || last < 0)
        return false;

    return first == range.start
           && last == range.end
           && (length == "*" || parseDecimal (length) == total);
}

//==============================================================================
std::optional<juce::URL> ChunkedDownloader::followLocation (const juce::URL& from, const juce::String& location)
{
    const auto target = location.trim();
    const auto isWeb = [] (const juce::String& address)
    { return address.startsWithIgnoreCase ("http://") || address.startsWithIgnoreCase ("https://"); };

    if (target.isEmpty() || target.containsAnyOf ("\r\n") || ! isWeb (from.toString (false)))
        return std::nullopt;

    if (isWeb (target))
        return juce::URL (target);

    // Any other scheme ("file:", "ftp:", ...) is not followed.
    const auto beforeColon = target.upToFirstOccurrenceOf (":", false, false);

    if (target.contains (":") && beforeColon.isNotEmpty() && beforeColon.containsOnly ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-."))
        return std::nullopt;

    const auto base = from.toString (false);
    const auto scheme = base.upToFirstOccurrenceOf ("://", true, false);

    if (target.startsWith ("//"))
        return juce::URL (scheme.dropLastCharacters (2) + target);

    const auto rest = base.substring (scheme.length());
    const auto origin = scheme + rest.upToFirstOccurrenceOf ("/", false, false);

    if (target.startsWithChar ('/'))
        return juce::URL (origin + target);

    // Relative to the folder of the address redirected.
    const auto path = rest.fromFirstOccurrenceOf ("/", true, false).upToFirstOccurrenceOf ("?", false, false);
    return juce::URL (origin + path.upToLastOccurrenceOf ("/", true, false) + (path.isEmpty() ? "/" : "") + target);
}

juce::int64 ChunkedDownloader::getFileSize()
{
    // Emplaced, not assigned: a URL's assignment copies its empty post data
    // with a null pointer.
    fileUrl.emplace (url);

    // Redirects are followed here, so that the ranges go straight to the
    // server that has the file.
    for (int hop = 0;; ++hop)
    {
        OpenStream probe (*this, streamSlots[(size_t) juce::jmax (1, numChunks)], *fileUrl, {});

        if (probe.get() == nullptr || ! isRedirect (probe.statusCode))
            return readFileSize (probe);

        auto next = followLocation (*fileUrl, probe.responseHeaders["Location"]);

        if (! next.has_value() || hop == maxRedirects)
        {
            if (! isStopping())
                juce::Logger::writeToLog ("<ChunkedDownloader> Failed to get file size, status code: " + juce::String (probe.statusCode)
                                          + (next.has_value() ? ", more than " + juce::String (maxRedirects) + " redirects" : ", no usable Location"));

            return -1;
        }

        juce::Logger::writeToLog ("<ChunkedDownloader> Redirected to: " + next->toString (true));
        fileUrl.emplace (std::move (*next));
    }
}

juce::int64 ChunkedDownloader::readFileSize (OpenStream& probe)
{
    auto* stream = probe.get();

    if (stream != nullptr && (probe.statusCode == 200 || probe.statusCode == 206))
    {
        // What tells this build of the file from another of the same name:
        // a strong ETag, or else the modification date.
        const auto etag = probe.responseHeaders["ETag"].trim();
        const auto strong = etag.isNotEmpty() && ! etag.startsWith ("W/");
        validatorName = strong ? "ETag" : "Last-Modified";
        validator = strong ? etag : probe.responseHeaders["Last-Modified"].trim();

        // The length is read from the stream as well: JUCE's curl backend
        // drops the first header after the status line.
        auto size = probe.responseHeaders["Content-Length"].trim().getLargeIntValue();

        if (size <= 0)
            size = stream->getTotalLength();

        return size > 0 ? size : -1;
    }

    if (! isStopping())
        juce::Logger::writeToLog ("<ChunkedDownloader> Failed to get file size, status code: " + juce::String (probe.statusCode));

    return -1;
}

void ChunkedDownloader::run()
{
    const juce::ScopeGuard dropEmptyEntry { [this]
                                            { dropEmptyStoreEntry(); } };

    if (runPass() != PassEnd::fileChanged || threadShouldExit() || cancelRequested)
        return;

    // Ranges of two builds must never meet in one file: the whole file
    // once more, from the size probe on.
    juce::Logger::writeToLog ("<ChunkedDownloader> The file changed on the server during the download, downloading it again");

    // The kept ranges are of the old build.
    if (store != nullptr)
        store->clear();
    fileChanged = false;
    diskFull = false;
    streamsStopped = false;
    completedChunks = 0;
    failed = 0;

    if (runPass() == PassEnd::fileChanged)
        reportError ("The file changed on the server during the download");
}

void ChunkedDownloader::dropEmptyStoreEntry()
{
    // Without a record (the size probe failed, or nothing arrived) an entry
    // holds nothing to go on from.
    if (store != nullptr && ! store->readRecord().has_value())
    {
        store->remove();
        store.reset();
    }
}

ChunkedDownloader::PassEnd ChunkedDownloader::runPass()
{
    const auto size = getFileSize();

    if (size <= 0)
    {
        reportError ("Failed to get file size");
        return PassEnd::ended;
    }

    totalSize = size;
    startTime = juce::Time::currentTimeMillis();

    const auto ranges = planRanges (size, numChunks);
    const auto count = (int) ranges.size();

    juce::Array<juce::File> chunkFiles;

    // Without a store only the joined file outlives the run: a cancelled or
    // failed download leaves no ranges behind, however large. A store keeps
    // them for the next run, unless the user cancelled or they are joined.
    const auto removeChunkFiles = [this, &chunkFiles] (bool completedOrCancelled)
    {
        if (store == nullptr)
        {
            for (const auto& file : chunkFiles)
                file.deleteFile();
        }
        else if (completedOrCancelled)
        {
            store->remove();
            store.reset();
        }
        else
        {
            juce::int64 kept = 0;

            for (int i = 0; i < chunkFiles.size(); ++i)
                kept += chunkDurable[(size_t) i].load();

            // An entry that holds nothing is not worth keeping.
            if (kept > 0)
            {
                writeStoreRecord (chunkFiles.size());
            }
            else
            {
                store->remove();
                store.reset();
            }
        }

        chunkFiles.clear();
    };
    const juce::ScopeGuard removeChunkFilesAtTheEnd { [&]
                                                      { removeChunkFiles (cancelRequested); } };

    for (int i = 0; i < count; ++i)
    {
        // In the store, or beside the target in the folder its owner keeps
        // for it; never loose in the system's temporary folder.
        const auto file = store != nullptr ? store->getRangeFile (i)
                                           : targetFile.getSiblingFile (targetFile.getFileName() + ".chunk_" + juce::String (i));

        // Files beside the target are this run's alone: begun empty.
        if (store == nullptr)
            file.deleteFile();

        if (! file.create())
        {
            reportError ("Failed to create temp file at: " + file.getFullPathName());
            return PassEnd::ended;
        }

        chunkFiles.add (file);
    }

    const auto kept = takeUpStoredRanges (ranges);

    if (! checkRoomFor (ranges, kept))
        return PassEnd::ended;

    for (int i = 0; i < juce::jmax (1, numChunks); ++i)
    {
        chunkProgress[(size_t) i] = i < count ? kept[(size_t) i] : 0;
        chunkDurable[(size_t) i] = i < count ? kept[(size_t) i] : 0;
        chunkRates[(size_t) i] = 0;
        restartedAsSlower[(size_t) i] = false;
    }

    writeStoreRecord (count);

    std::unique_ptr<std::atomic<int>[]> retryCounts (new std::atomic<int>[(size_t) count]());
    std::vector<std::thread> workers;
    workers.reserve ((size_t) count);

    for (int i = 0; i < count; ++i)
    {
        ++runningWorkers;

        try
        {
            workers.emplace_back ([this, i, range = ranges[(size_t) i], file = chunkFiles[i], &retryCount = retryCounts[(size_t) i]]
                                  { runChunkWorker (i, range, file, retryCount); });
        }
        catch (const std::system_error&)
        {
            --runningWorkers;
            juce::Logger::writeToLog ("<ChunkedDownloader> Failed to start the worker for chunk " + juce::String (i));
            failed = 1;
            break;
        }
    }

    // Also ends when every worker has: a cancel that is withdrawn again
    // before this loop sees it leaves nobody to wait for.
    auto lastRecordTime = now();

    while (! threadShouldExit() && ! cancelRequested && ! fileChanged && completedChunks < count && failed == 0 && runningWorkers > 0)
    {
        wait (200);

        // What a crash or a power cut would leave of the download.
        if (now() - lastRecordTime >= durableIntervalMs)
        {
            writeStoreRecord (count);
            lastRecordTime = now();
        }
    }

    // A full disk has no room for the other ranges either.
    if (threadShouldExit() || cancelRequested || fileChanged || diskFull)
        stopStreams();

    for (auto& worker : workers)
        worker.join();

    if (fileChanged && ! threadShouldExit() && ! cancelRequested)
        return PassEnd::fileChanged;

    if (threadShouldExit())
    {
        if (! cancelRequested)
            reportError ("Download cancelled");

        return PassEnd::ended;
    }

    if (failed != 0)
    {
        juce::StringArray attempts;

        for (int i = 0; i < count; ++i)
            attempts.add ("Chunk " + juce::String (i) + ": " + juce::String (retryCounts[(size_t) i].load()));

        const auto summary = "Download failed for one or more chunks. Retry attempts: " + attempts.joinIntoString (", ");

        if (! cancelRequested)
            reportError (summary);

        return PassEnd::ended;
    }

    // Only a cancel ends the workers without every chunk complete and
    // without a failure; incomplete chunks are never merged.
    if (completedChunks < count)
    {
        if (! cancelRequested)
            reportError ("Download cancelled");

        return PassEnd::ended;
    }

    const auto merged = mergeFiles (chunkFiles);

    if (merged.failed())
    {
        if (! cancelRequested)
            reportError (merged.getErrorMessage());

        return PassEnd::ended;
    }

    // Before the report: the joined file is unpacked next, the space is needed.
    removeChunkFiles (true);

    if (cancelRequested)
        return PassEnd::ended;

    const auto seconds = (int) ((double) (juce::Time::currentTimeMillis() - startTime) * 0.001);

    const juce::MessageManagerLock lock (this);

    if (lock.lockWasGained() && onComplete != nullptr)
        onComplete (seconds);

    return PassEnd::ended;
}

//==============================================================================
void ChunkedDownloader::runChunkWorker (int index, ByteRange range, const juce::File& file, std::atomic<int>& retryCount)
{
    int attempt = 0;

    for (;;)
    {
        if (attempt > maxRetries || threadShouldExit())
        {
            failed = 1;
            break;
        }

        if (cancelRequested || streamsStopped || fileChanged)
            break;

        ++attempt;
        retryCount = attempt;

        if (attempt > 1)
        {
            juce::Logger::writeToLog ("Retrying chunk " + juce::String (index) + ", attempt " + juce::String (attempt));
            pauseBeforeRetry (retryDelayMs);
        }

        if (downloadChunk (index, range, file))
        {
            ++completedChunks;
            break;
        }

        // Another attempt would meet the same full disk.
        if (diskFull)
        {
            failed = 1;
            break;
        }

        // In a store the bytes that arrived stay: the next attempt goes on from them.
        chunkProgress[(size_t) index] = store != nullptr ? juce::jlimit ((juce::int64) 0, range.getLength(), file.getSize()) : (juce::int64) 0;
        chunkRates[(size_t) index] = 0;
    }

    --runningWorkers;
    notify();
}

std::vector<juce::int64> ChunkedDownloader::takeUpStoredRanges (const std::vector<ByteRange>& ranges)
{
    std::vector<juce::int64> kept (ranges.size(), 0);
    resumedBytes = 0;

    if (store == nullptr)
        return kept;

    const auto record = store->readRecord();
    const auto address = url.toString (true);

    // Only the same build of the same file: same address, size and validator,
    // split into the same ranges. A file without a validator cannot be told
    // from another build of itself, so nothing of it is taken up.
    const auto sameBuild = record.has_value() && validator.isNotEmpty() && record->address == address
                           && record->totalSize == totalSize && record->validatorName == validatorName
                           && record->validator == validator && record->rangeBytes.size() == ranges.size();

    if (! sameBuild)
    {
        if (record.has_value())
            juce::Logger::writeToLog ("<ChunkedDownloader> The kept part of the download is of another build of the file, starting anew");

        store->clear();
        return kept;
    }

    for (size_t i = 0; i < ranges.size(); ++i)
    {
        // Never more than the record claims, which is never more than was
        // forced to the disk; bytes beyond it are cut off.
        const auto file = store->getRangeFile ((int) i);
        kept[i] = juce::jlimit ((juce::int64) 0, juce::jmin (ranges[i].getLength(), file.getSize()), record->rangeBytes[i]);

        juce::FileOutputStream output (file);

        if (! output.openedOk() || ! output.setPosition (kept[i]) || output.truncate().failed())
            kept[i] = 0;

        resumedBytes += kept[i];
    }

    juce::Logger::writeToLog ("<ChunkedDownloader> Going on from " + juce::String (resumedBytes.load()) + " of " + juce::String (totalSize.load())
                              + " bytes kept from an earlier download");
    return kept;
}

std::optional<std::pair<juce::int64, juce::String>> ChunkedDownloader::getSpaceShortage() const
{
    if (! spaceShort)
        return std::nullopt;

    return std::make_pair (spaceNeeded, shortVolume);
}

bool ChunkedDownloader::checkRoomFor (const std::vector<ByteRange>& ranges, const std::vector<juce::int64>& kept)
{
    juce::int64 largest = 0, keptTotal = 0;

    for (size_t i = 0; i < ranges.size(); ++i)
    {
        largest = juce::jmax (largest, ranges[i].getLength());
        keptTotal += kept[i];
    }

    const auto needed = DiskSpace::neededForDownload (totalSize, largest, keptTotal, targetFile.hasFileExtension ("zip"));
    const auto volume = platform::getVolumeSpace (targetFile.getParentDirectory());

    // A volume that cannot be asked is no reason to refuse: every write is checked anyway.
    if (volume.bytesFree < 0 || needed <= volume.bytesFree)
        return true;

    spaceNeeded = needed;
    shortVolume = volume.volumeName;
    spaceShort = true;
    reportError ("Not enough disk space: " + juce::String (needed) + " bytes needed on " + volume.volumeName + ", "
                 + juce::String (volume.bytesFree) + " free");
    return false;
}

void ChunkedDownloader::writeStoreRecord (int count)
{
    if (store == nullptr || validator.isEmpty())
        return;

    DownloadStore::Record record;
    record.address = url.toString (true);
    record.totalSize = totalSize;
    record.validatorName = validatorName;
    record.validator = validator;

    for (int i = 0; i < count; ++i)
        record.rangeBytes.push_back (chunkDurable[(size_t) i].load());

    if (! store->writeRecord (record))
        juce::Logger::writeToLog ("<ChunkedDownloader> Could not write the record of the download in " + store->getFolder().getFullPathName());
}

bool ChunkedDownloader::downloadChunk (int index, const ByteRange& wholeRange, const juce::File& file)
{
    if (isStopping())
        return false;

    // A range kept in a store goes on from the bytes its file holds: from
    // an earlier run, or from an attempt that broke off. Otherwise each
    // attempt fetches the whole range.
    const auto have = store != nullptr ? juce::jlimit ((juce::int64) 0, wholeRange.getLength(), file.getSize()) : (juce::int64) 0;
    chunkProgress[(size_t) index] = have;

    if (have == wholeRange.getLength())
        return true;

    const ByteRange range { wholeRange.start + have, wholeRange.end };
    const auto chunk = juce::String (index);
    auto headers = getRangeHeader (range);

    // A server that knows the file changed answers with the whole new one.
    if (validator.isNotEmpty())
        headers << "\r\nIf-Range: " << validator;

    OpenStream connection (*this, streamSlots[(size_t) index], *fileUrl, headers);
    auto* stream = connection.get();

    if (isStopping())
        return false;

    if (stream != nullptr && validator.isNotEmpty())
    {
        const auto answered = connection.responseHeaders[validatorName].trim();

        if (answered.isNotEmpty() && answered != validator)
        {
            juce::Logger::writeToLog ("Download failed for chunk " + chunk + ", the file changed on the server: " + validatorName + " " + answered + " instead of " + validator);
            fileChanged = true;
            notify();
            return false;
        }
    }

    // The whole file where a part was asked for: the server no longer
    // knows the build the kept bytes are of.
    if (stream != nullptr && connection.statusCode == 200 && have > 0)
    {
        juce::Logger::writeToLog ("Download failed for chunk " + chunk + ", the server sent the whole file instead of the rest of the range");
        fileChanged = true;
        notify();
        return false;
    }

    if (stream == nullptr || connection.statusCode != 206)
    {
        juce::Logger::writeToLog ("Download failed for chunk " + chunk + ", status code: " + juce::String (connection.statusCode));
        return false;
    }

    // Without a Content-Range (JUCE's curl backend drops the first header)
    // the byte count below still has to match.
    const auto contentRange = connection.responseHeaders["Content-Range"];

    if (contentRange.isNotEmpty() && ! contentRangeMatches (contentRange, range, totalSize))
    {
        juce::Logger::writeToLog ("Download failed for chunk " + chunk + ", Content-Range: " + contentRange
                                  + " instead of bytes " + juce::String (range.start) + "-" + juce::String (range.end) + "/" + juce::String (totalSize.load()));
        return false;
    }

    auto output = std::make_unique<juce::FileOutputStream> (file, fileBufferSize);

    if (! output->openedOk() || ! output->setPosition (have) || output->truncate().failed())
    {
        juce::Logger::writeToLog ("Failed to open output file for chunk " + chunk);
        noteIfDiskFull (file, range.getLength());
        return false;
    }

    const auto expected = range.getLength();
    juce::int64 downloaded = 0;
    const auto attemptStart = now();
    auto checkpointTime = attemptStart;
    auto durableTime = attemptStart;
    juce::int64 checkpointBytes = 0;
    char buffer[readSize];

    while (! isStopping())
    {
        const auto count = stream->read (buffer, readSize);

        if (count <= 0)
            break;

        if (downloaded + count > expected)
        {
            juce::Logger::writeToLog ("Download failed for chunk " + chunk + ", more than the " + juce::String (expected) + " bytes asked for");
            return false;
        }

        if (! output->write (buffer, (size_t) count))
        {
            juce::Logger::writeToLog ("Failed to write output file for chunk " + chunk);
            noteIfDiskFull (file, expected - downloaded);
            return false;
        }

        downloaded += count;
        chunkProgress[(size_t) index] = have + downloaded;

        const auto time = now();

        if (downloaded == expected)
        {
            chunkRates[(size_t) index] = (juce::int64) ((double) downloaded * 1000.0 / juce::jmax (1.0, time - attemptStart));
            continue;
        }

        if (time - checkpointTime > checkpointIntervalMs)
        {
            const auto bytesPerSecond = (double) (downloaded - checkpointBytes) * 1000.0 / (time - checkpointTime);

            if (isTooSlow (index, bytesPerSecond))
            {
                juce::Logger::writeToLog ("Redownload the blocks with slower speeds: chunk " + chunk);
                return false;
            }

            chunkRates[(size_t) index] = juce::jmax ((juce::int64) 1, (juce::int64) bytesPerSecond);
            checkpointTime = time;
            checkpointBytes = downloaded;
        }

        // Forced to the disk before the store's record may claim it.
        if (store != nullptr && time - durableTime >= durableIntervalMs)
        {
            output->flush();
            durableTime = time;

            if (output->getStatus().wasOk())
                chunkDurable[(size_t) index] = have + downloaded;
        }
    }

    if (isStopping())
        return false;

    // Closing writes the last buffered bytes; the file's size tells whether
    // they arrived. A range kept in the store is forced to the disk first.
    if (store != nullptr)
    {
        output->flush();

        if (output->getStatus().wasOk())
            chunkDurable[(size_t) index] = have + downloaded;
    }

    output.reset();

    if (file.getSize() != have + downloaded)
    {
        juce::Logger::writeToLog ("Failed to write output file for chunk " + chunk);
        noteIfDiskFull (file, wholeRange.getLength() - file.getSize());
        return false;
    }

    if (downloaded != expected)
    {
        juce::Logger::writeToLog ("Download failed for chunk " + chunk + ", received " + juce::String (downloaded) + " of " + juce::String (expected) + " bytes");
        return false;
    }

    return true;
}

bool ChunkedDownloader::isTooSlow (int index, double bytesPerSecond)
{
    if (bytesPerSecond < minimumBytesPerSecond)
        return true;

    // Compared with the others, not with a fixed rate: on a slow link every
    // range is slow, and starting one afresh only loses what it has. Once
    // per chunk: the others' rates may be from before the whole link slowed
    // down, and a link that slows down must not use up the retries.
    if (restartedAsSlower[(size_t) index])
        return false;

    std::vector<juce::int64> others;

    for (int i = 0; i < juce::jmax (1, numChunks); ++i)
        if (const auto rate = chunkRates[(size_t) i].load(); i != index && rate > 0)
            others.push_back (rate);

    if (others.empty())
        return false;

    const auto middle = others.begin() + (std::ptrdiff_t) (others.size() / 2);
    std::nth_element (others.begin(), middle, others.end());

    restartedAsSlower[(size_t) index] = bytesPerSecond * slowerThanOthersFactor < (double) *middle;
    return restartedAsSlower[(size_t) index];
}

juce::Result ChunkedDownloader::mergeFiles (const juce::Array<juce::File>& chunkFiles)
{
    const auto mergeFailure = juce::Result::fail ("Failed to merge files");

    targetFile.deleteFile();
    auto output = std::make_unique<juce::FileOutputStream> (targetFile, fileBufferSize);

    if (! output->openedOk())
    {
        juce::Logger::writeToLog ("<ChunkedDownloader> Failed to open target file for merging");
        noteIfDiskFull (targetFile, totalSize);
        return mergeFailure;
    }

    // A half-joined file must not stay behind as if it were the download.
    const auto abandon = [&] (const juce::Result& result)
    {
        output.reset();
        targetFile.deleteFile();
        return result;
    };

    juce::HeapBlock<char> buffer (1 << 20);
    juce::int64 merged = 0;

    for (const auto& file : chunkFiles)
    {
        {
            juce::FileInputStream input (file);

            if (! input.openedOk())
            {
                juce::Logger::writeToLog ("<ChunkedDownloader> Failed to open chunk file: " + file.getFullPathName());
                return abandon (mergeFailure);
            }

            for (;;)
            {
                if (cancelRequested)
                    return abandon (mergeFailure);

                if (threadShouldExit())
                    return abandon (juce::Result::fail ("Download cancelled"));

                const auto count = input.read (buffer, 1 << 20);

                if (count <= 0)
                    break;

                if (! output->write (buffer, (size_t) count))
                {
                    juce::Logger::writeToLog ("<ChunkedDownloader> Failed to write target file: " + targetFile.getFullPathName());
                    noteIfDiskFull (targetFile, totalSize - merged);
                    return abandon (juce::Result::fail ("Failed to merge files: could not write " + targetFile.getFullPathName()));
                }

                merged += count;
            }
        }

        // Closed, and joined: its room goes back to the volume before the
        // next range is copied, so the ranges and the joined file together
        // never take twice the file's size.
        file.deleteFile();
    }

    output.reset();

    const auto size = targetFile.getSize();

    if (size != totalSize)
    {
        juce::Logger::writeToLog ("<ChunkedDownloader> Merged file has " + juce::String (size) + " bytes instead of " + juce::String (totalSize.load()));
        noteIfDiskFull (targetFile, totalSize - size);
        return abandon (juce::Result::fail ("Failed to merge files: the merged file has " + juce::String (size) + " bytes instead of " + juce::String (totalSize.load())));
    }

    return juce::Result::ok();
}

bool ChunkedDownloader::noteIfDiskFull (const juce::File& file, juce::int64 stillToWrite)
{
    const auto freeBytes = file.getBytesFreeOnVolume();

    if (! DiskSpace::ranOut (stillToWrite, freeBytes))
        return false;

    // Several ranges meet it at once: said once.
    if (! diskFull.exchange (true))
        juce::Logger::writeToLog ("<ChunkedDownloader> The disk is full: " + juce::String (freeBytes) + " bytes free in "
                                  + file.getParentDirectory().getFullPathName() + ", " + juce::String (stillToWrite) + " bytes still to write");

    return true;
}

void ChunkedDownloader::reportError (const juce::String& message)
{
    juce::Logger::writeToLog ("<ChunkedDownloader> Download error: " + message);

    // This form gives up when the thread is asked to exit, so the message
    // thread can delete the downloader at any moment without a deadlock.
    const juce::MessageManagerLock lock (this);

    if (lock.lockWasGained() && onError != nullptr)
        onError (message);
}

//==============================================================================
void ChunkedDownloader::stopStreams()
{
    streamsStopped = true;

    for (int i = 0; i <= juce::jmax (1, numChunks); ++i)
    {
        auto& slot = streamSlots[(size_t) i];
        const std::lock_guard<std::mutex> guard (slot.lock);

        if (slot.stream != nullptr)
            slot.stream->cancel();
    }
}

bool ChunkedDownloader::isStopping() const
{
    return cancelRequested || streamsStopped || fileChanged || threadShouldExit();
}

void ChunkedDownloader::pauseBeforeRetry (int milliseconds) const
{
    const auto end = now() + milliseconds;

    while (! isStopping())
    {
        const auto left = end - now();

        if (left <= 0)
            break;

        juce::Thread::sleep ((int) juce::jmin (50.0, left));
    }
}
