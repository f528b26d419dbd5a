#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "download/ChunkedDownloader.h"
#include "download/DiskSpace.h"
#include "support/DownloadOutcome.h"
#include "support/FaultInjectingServer.h"
#include "support/LogCapture.h"
#include "support/LoopbackNginx.h"
#include "support/MessageLoop.h"
#include "support/SmallVolume.h"
#include "support/TemporaryFolder.h"

#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>

#include <sys/resource.h>

using Range = ChunkedDownloader::ByteRange;

namespace
{
juce::MemoryBlock randomBytes (juce::Random& random, size_t size)
{
    juce::MemoryBlock data (size);

    for (size_t i = 0; i < size; ++i)
        data[i] = (char) random.nextInt (256);

    return data;
}

juce::File writeBytes (const juce::File& file, const juce::MemoryBlock& data)
{
    file.getParentDirectory().createDirectory();
    file.replaceWithData (data.getData(), data.getSize());
    return file;
}

bool hasContent (const juce::File& file, const juce::MemoryBlock& expected)
{
    juce::MemoryBlock actual;
    return file.existsAsFile() && file.loadFileAsData (actual) && actual == expected;
}

/** Points JUCE's temporary folder (where the chunk files go) at a folder of
    the test's own while it lives.
*/
class ScopedTemporaryDirectory
{
public:
    ScopedTemporaryDirectory() : ScopedTemporaryDirectory (juce::File()) {}

    explicit ScopedTemporaryDirectory (const juce::File& path)
        : folder (path == juce::File() ? owned / "tmp" : path)
    {
        if (path == juce::File())
            folder.createDirectory();

        if (const auto* value = std::getenv ("TMPDIR"))
            previous = std::string (value);

        setenv ("TMPDIR", folder.getFullPathName().toRawUTF8(), 1);
    }

    ~ScopedTemporaryDirectory()
    {
        if (previous.has_value())
            setenv ("TMPDIR", previous->c_str(), 1);
        else
            unsetenv ("TMPDIR");
    }

    /** Chunk files anywhere below: in the folder itself or beside a target
        in a folder made after this one (and so below it).
    */
    juce::Array<juce::File> getChunkFiles() const
    {
        return folder.findChildFiles (juce::File::findFiles, true, "*.chunk_*");
    }

private:
    TemporaryFolder owned;
    juce::File folder;
    std::optional<std::string> previous;
};

using Outcome = DownloadOutcome;

/** One whole download with the callbacks served by the message loop. */
Outcome download (const juce::String& address, const juce::File& target, int chunks = 8, int maxRetries = 10)
{
    return DownloadOutcome::of (address, target, chunks, maxRetries);
}

juce::String summary (const std::vector<int>& attempts)
{
    juce::StringArray items;

    for (size_t i = 0; i < attempts.size(); ++i)
        items.add ("Chunk " + juce::String ((int) i) + ": " + juce::String (attempts[i]));

    return "Download failed for one or more chunks. Retry attempts: " + items.joinIntoString (", ");
}

/** The Range values of the log lines that name `path`. */
juce::StringArray rangesRequested (const juce::StringArray& log, const juce::String& path)
{
    juce::StringArray ranges;

    for (const auto& line : log)
        if (line.startsWith ("GET " + path + " ") && line.contains ("\"bytes="))
            ranges.add (line.fromFirstOccurrenceOf ("\"bytes=", false, false).upToFirstOccurrenceOf ("\"", false, false));

    return ranges;
}

template <typename Predicate>
bool waitWithoutMessages (Predicate done)
{
    for (int i = 0; i < 6000 && ! done(); ++i)
        juce::Thread::sleep (5);

    return done();
}
} // namespace

//==============================================================================
TEST (ChunkedDownloaderPlan, SplitsIntoEqualRangesWithTheRemainderOnTheLast)
{
    const auto thousand = ChunkedDownloader::planRanges (1000, 8);
    ASSERT_EQ (thousand.size(), 8u);

    for (int i = 0; i < 7; ++i)
        EXPECT_EQ (thousand[(size_t) i], (Range { i * 125, i * 125 + 124 }));

    EXPECT_EQ (thousand[7], (Range { 875, 999 }));
    EXPECT_EQ (ChunkedDownloader::getRangeHeader (thousand[0]), "Range: bytes=0-124");
    EXPECT_EQ (ChunkedDownloader::getRangeHeader (thousand[6]), "Range: bytes=750-874");

    const auto uneven = ChunkedDownloader::planRanges (1007, 8);
    EXPECT_EQ (uneven[6], (Range { 750, 874 }));
    EXPECT_EQ (uneven[7], (Range { 875, 1006 }));

    // Fewer bytes than chunks: one byte per range, never an empty or inverted one.
    const auto three = ChunkedDownloader::planRanges (3, 8);
    ASSERT_EQ (three.size(), 3u);
    EXPECT_EQ (three[0], (Range { 0, 0 }));
    EXPECT_EQ (three[2], (Range { 2, 2 }));
    EXPECT_EQ (ChunkedDownloader::planRanges (1, 8).size(), 1u);
    EXPECT_EQ (ChunkedDownloader::planRanges (8, 8).size(), 8u);
    EXPECT_EQ (ChunkedDownloader::planRanges (9, 8)[7], (Range { 7, 8 }));
    EXPECT_TRUE (ChunkedDownloader::planRanges (0, 8).empty());
    EXPECT_TRUE (ChunkedDownloader::planRanges (-1, 8).empty());
}

TEST (ChunkedDownloaderPlan, KeepsSixtyFourBitOffsetsForFilesOfTwoGigabytesAndMore)
{
    const juce::int64 threeGiB = 3LL << 30;
    const auto ranges = ChunkedDownloader::planRanges (threeGiB, 8);
    ASSERT_EQ (ranges.size(), 8u);
    EXPECT_EQ (ranges[7], (Range { 2818572288LL, 3221225471LL }));
    EXPECT_EQ (ChunkedDownloader::getRangeHeader (ranges[7]), "Range: bytes=2818572288-3221225471");
    EXPECT_EQ (ChunkedDownloader::planRanges (1LL << 31, 8)[7].end, (1LL << 31) - 1);

    juce::Random random (42);

    for (int run = 0; run < 200; ++run)
    {
        const auto size = 1 + (random.nextInt64() & ((1LL << 42) - 1)) / (1 + random.nextInt (1 << 20));
        const auto chunks = 1 + random.nextInt (16);
        const auto plan = ChunkedDownloader::planRanges (size, chunks);
        SCOPED_TRACE (juce::String (size) + " bytes, " + juce::String (chunks) + " chunks");

        ASSERT_EQ ((juce::int64) plan.size(), juce::jmin ((juce::int64) chunks, size));
        EXPECT_EQ (plan.front().start, 0);
        EXPECT_EQ (plan.back().end, size - 1);

        for (size_t i = 0; i < plan.size(); ++i)
        {
            EXPECT_GE (plan[i].getLength(), 1);

            if (i > 0)
            {
                EXPECT_EQ (plan[i].start, plan[i - 1].end + 1);
            }
        }
    }
}

TEST (ChunkedDownloaderPlan, FollowsALocationOnlyToAWebAddress)
{
    const juce::URL from ("http://127.0.0.1:8080/pkg/v2/file.zip?token=1");

    const std::pair<const char*, const char*> cases[] = {
        { "https://cdn.example.test/a/file.zip", "https://cdn.example.test/a/file.zip" },
        { "HTTP://127.0.0.1:9090/b.zip", "HTTP://127.0.0.1:9090/b.zip" },
        { "/moved/file.zip", "http://127.0.0.1:8080/moved/file.zip" },
        { "//mirror.example.test/file.zip", "http://mirror.example.test/file.zip" },
        { "other.zip", "http://127.0.0.1:8080/pkg/v2/other.zip" },
        { " /spaced.zip ", "http://127.0.0.1:8080/spaced.zip" },
    };

    for (const auto& [location, expected] : cases)
    {
        const auto next = ChunkedDownloader::followLocation (from, location);
        ASSERT_TRUE (next.has_value()) << location;
        EXPECT_EQ (next->toString (true), expected) << location;
    }

    for (auto refused : { "", "file:///etc/passwd", "ftp://example.test/f.zip", "javascript:alert(1)", "/a\r\nSet-Cookie: x" })
        EXPECT_FALSE (ChunkedDownloader::followLocation (from, refused).has_value()) << refused;

    EXPECT_EQ (ChunkedDownloader::followLocation (juce::URL ("http://127.0.0.1:8080"), "f.zip")->toString (true), "http://127.0.0.1:8080/f.zip");
}

TEST (ChunkedDownloaderPlan, AcceptsOnlyTheContentRangeAskedFor)
{
    const Range range { 125, 249 };

    EXPECT_TRUE (ChunkedDownloader::contentRangeMatches ("bytes 125-249/1000", range, 1000));
    EXPECT_TRUE (ChunkedDownloader::contentRangeMatches (" Bytes 125-249/* ", range, 1000));
    EXPECT_TRUE (ChunkedDownloader::contentRangeMatches ("bytes 2818572288-3221225471/3221225472", { 2818572288LL, 3221225471LL }, 3221225472LL));

    for (auto wrong : { "bytes 126-250/1000", "bytes 125-248/1000", "bytes 125-249/1001", "bytes 125-249/4294968296", "bytes 125-249", "125-249/1000", "bytes */1000", "bytes -125-249/1000", "bytes 125-249x/1000", "items 125-249/1000", "" })
        EXPECT_FALSE (ChunkedDownloader::contentRangeMatches (wrong, range, 1000)) << wrong;
}

//==============================================================================
TEST (ChunkedDownloader, FetchesEightRangesOfAThousandBytesFromNginx)
{
    ScopedTemporaryDirectory temporary;
    TemporaryFolder root;
    juce::Random random (1);
    const auto data = randomBytes (random, 1000);
    writeBytes (root / "www/pkg/file.bin", data);

    LoopbackNginx server (root / "www");
    ASSERT_TRUE (server.isRunning());

    const auto target = root / "work/file.bin";
    target.getParentDirectory().createDirectory();
    const auto outcome = download (server.urlFor ("pkg/file.bin"), target);

    EXPECT_EQ (outcome.completions, 1);
    EXPECT_EQ (outcome.errors, 0);
    EXPECT_TRUE (hasContent (target, data));
    EXPECT_EQ (outcome.progressAtCompletion, (std::pair<juce::int64, juce::int64> { 1000, 1000 }));
    EXPECT_TRUE (temporary.getChunkFiles().isEmpty()) << "chunk files are removed after the merge";

    auto ranges = rangesRequested (server.getAccessLog(), "/pkg/file.bin");
    ranges.sort (true);
    const juce::StringArray expected { "0-124", "125-249", "250-374", "375-499", "500-624", "625-749", "750-874", "875-999" };
    EXPECT_EQ (ranges, expected);
}

TEST (ChunkedDownloader, RandomSizesArriveByteForByteFromNginx)
{
    ScopedTemporaryDirectory temporary;
    TemporaryFolder root;
    LoopbackNginx server (root.getFolder());
    ASSERT_TRUE (server.isRunning());

    juce::Random random (7);
    std::vector<int> sizes { 1, 2, 7, 8, 9, 15, 17, 8191, 8193, 65537 };

    for (int i = 0; i < 10; ++i)
        sizes.push_back (1 + random.nextInt (300000));

    for (size_t run = 0; run < sizes.size(); ++run)
    {
        const auto size = sizes[run];
        const auto chunks = run % 3 == 2 ? 1 + random.nextInt (9) : 8;
        const auto name = "file" + juce::String ((int) run) + ".bin";
        const auto data = randomBytes (random, (size_t) size);
        writeBytes (root / name, data);
        SCOPED_TRACE (juce::String (size) + " bytes in " + juce::String (chunks) + " chunks");

        const auto target = root / ("out/" + name);
        target.getParentDirectory().createDirectory();
        const auto outcome = download (server.urlFor (name), target, chunks);

        EXPECT_EQ (outcome.completions, 1);
        EXPECT_TRUE (hasContent (target, data));

        const auto ranges = rangesRequested (server.getAccessLog(), "/" + name);
        EXPECT_EQ (ranges.size(), juce::jmin (chunks, size));

        for (const auto& range : ranges)
        {
            const auto first = range.upToFirstOccurrenceOf ("-", false, false).getLargeIntValue();
            const auto last = range.fromFirstOccurrenceOf ("-", false, false).getLargeIntValue();
            EXPECT_TRUE (first <= last && last < size) << range;
        }
    }

    EXPECT_TRUE (temporary.getChunkFiles().isEmpty());
}

//==============================================================================
namespace
{
/** The fault-injecting server over a folder of the test's own, with the
    chunk files in a temporary folder of the test's own too.
*/
class ChunkedDownloaderFaults : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE (server.isRunning()); }

    void runFaultMatrix (const juce::String& mode, int runs, juce::int64 seed);

    ScopedTemporaryDirectory temporary;
    TemporaryFolder root;
    FaultInjectingServer server { root / "www" };
};
} // namespace

/** Many downloads through one fault: each run has a random size (some
    smaller than the chunk count), the fault in the first `tries` answers of
    every range or of one random range, and either ends with the file
    byte-identical or with the failure summary, never with anything else.
*/
void ChunkedDownloaderFaults::runFaultMatrix (const juce::String& mode, int runs, juce::int64 seed)
{
    constexpr int maxRetries = 2;
    juce::Random random (seed);

    for (int run = 0; run < runs; ++run)
    {
        const auto size = random.nextInt (4) == 0 ? 1 + random.nextInt (8) : 1 + random.nextInt (100000);
        const auto tries = random.nextInt (maxRetries + 2);
        const auto plan = ChunkedDownloader::planRanges (size, 8);
        const auto faultyChunk = random.nextBool() ? random.nextInt ((int) plan.size()) : -1;

        auto query = "tries=" + juce::String (tries);

        if (faultyChunk >= 0)
            query << "&start=" << plan[(size_t) faultyChunk].start;

        const auto name = "run" + juce::String (run) + ".bin";
        const auto data = randomBytes (random, (size_t) size);
        writeBytes (root / ("www/" + name), data);
        const auto target = root / ("out/" + name);
        target.getParentDirectory().createDirectory();
        SCOPED_TRACE (mode + ": " + juce::String (size) + " bytes, " + query);

        LogCapture log;
        const auto outcome = download (server.urlFor (mode, name, query), target, 8, maxRetries);

        if (tries <= maxRetries)
        {
            EXPECT_EQ (outcome.completions, 1) << outcome.error;
            EXPECT_EQ (outcome.errors, 0);
            EXPECT_TRUE (hasContent (target, data));
        }
        else
        {
            std::vector<int> attempts (plan.size(), 1);

            for (size_t i = 0; i < plan.size(); ++i)
                if (faultyChunk < 0 || (int) i == faultyChunk)
                    attempts[i] = maxRetries + 1;

            EXPECT_EQ (outcome.completions, 0);
            EXPECT_EQ (outcome.errors, 1);
            EXPECT_EQ (outcome.error, summary (attempts));
            EXPECT_FALSE (target.exists()) << "nothing is merged from a failed download";
        }

        if (tries > 0)
        {
            EXPECT_GE (log.countContaining ("Retrying chunk "), 1);
        }
    }
}

TEST_F (ChunkedDownloaderFaults, ServerIgnoringTheRange) { runFaultMatrix ("ignore-range", 16, 11); }
TEST_F (ChunkedDownloaderFaults, ConnectionResetInTheMiddleOfARange) { runFaultMatrix ("drop", 16, 12); }
TEST_F (ChunkedDownloaderFaults, FewerBytesThanTheContentLength) { runFaultMatrix ("short", 16, 13); }
TEST_F (ChunkedDownloaderFaults, WellFormedAnswerEndingBeforeTheRange) { runFaultMatrix ("early-end", 16, 14); }
TEST_F (ChunkedDownloaderFaults, ServerErrorsForTheFirstTries) { runFaultMatrix ("fail500", 16, 15); }
TEST_F (ChunkedDownloaderFaults, PartialAnswerForAnotherRange) { runFaultMatrix ("wrong-range", 16, 16); }

TEST_F (ChunkedDownloaderFaults, StalledRangeTimesOutAndIsFetchedAgain)
{
    juce::Random random (17);
    // Small ranges: curl's low-speed abort averages over its time-out, so a
    // large burst before the stall would only delay it.
    const auto data = randomBytes (random, 8 * 800);
    writeBytes (root / "www/stall.bin", data);
    const auto target = root / "stall.bin";

    LogCapture log;
    const auto outcome = download (server.urlFor ("stall", "stall.bin", "tries=1&start=1600"), target);

    EXPECT_EQ (outcome.completions, 1) << outcome.error;
    EXPECT_TRUE (hasContent (target, data));
    // The connection's time-out ends the stalled read with 400 of the 800
    // bytes, far below the slow-transfer floor.
    EXPECT_TRUE (log.contains ("Redownload the blocks with slower speeds: chunk 2")) << log.getLines().joinIntoString ("\n");
    EXPECT_TRUE (log.contains ("Retrying chunk 2, attempt 2"));
    EXPECT_EQ (log.countContaining ("Retrying chunk "), 1);
}

TEST_F (ChunkedDownloaderFaults, SlowTransfersAreAbandonedAndRetried)
{
    juce::Random random (18);
    const auto data = randomBytes (random, 8 * 20000);
    writeBytes (root / "www/slow.bin", data);

    LogCapture log;
    Outcome outcome;
    {
        ChunkedDownloader downloader (juce::URL (server.urlFor ("trickle", "slow.bin", "tries=1&rate=4096")), root / "slow.bin", 8);
        downloader.minimumBytesPerSecond = 64 * 1024;
        downloader.retryDelayMs = 1;
        outcome.watch (downloader);
        ASSERT_TRUE (runMessageLoopUntil ([&]
                                          { return ! downloader.isThreadRunning(); },
                                          100000));
    }

    EXPECT_EQ (outcome.completions, 1) << outcome.error;
    EXPECT_TRUE (hasContent (root / "slow.bin", data));

    for (int i = 0; i < 8; ++i)
        EXPECT_EQ (log.count ("Redownload the blocks with slower speeds: chunk " + juce::String (i)), 1);

    // One range far slower than the others: a fresh connection for it,
    // once; when that one is slow too, it is waited for.
    log.clear();
    const auto oneSlow = randomBytes (random, 8 * 16384);
    writeBytes (root / "www/one-slow.bin", oneSlow);
    const auto oneSlowOutcome = download (server.urlFor ("trickle", "one-slow.bin", "tries=2&rate=4096&start=49152"), root / "one-slow.bin");

    EXPECT_EQ (oneSlowOutcome.completions, 1) << oneSlowOutcome.error;
    EXPECT_TRUE (hasContent (root / "one-slow.bin", oneSlow));
    EXPECT_EQ (log.countContaining ("Redownload the blocks"), 1) << log.getLines().joinIntoString ("\n");
    EXPECT_EQ (log.count ("Redownload the blocks with slower speeds: chunk 3"), 1);
}

TEST_F (ChunkedDownloaderFaults, SlowLinkForEveryRangeIsWaitedFor)
{
    // 800 B/s per connection, 6.4 KB/s in all, each range more than one
    // read: slow, but bytes arrive all the time.
    juce::Random random (24);
    const auto data = randomBytes (random, 8 * 10000);
    writeBytes (root / "www/dial-up.bin", data);

    LogCapture log;
    const auto outcome = download (server.urlFor ("trickle", "dial-up.bin", "rate=800"), root / "dial-up.bin");

    EXPECT_EQ (outcome.completions, 1) << outcome.error;
    EXPECT_TRUE (hasContent (root / "dial-up.bin", data));
    EXPECT_EQ (log.countContaining ("Redownload the blocks"), 0) << log.getLines().joinIntoString ("\n");
    EXPECT_EQ (log.countContaining ("Retrying chunk "), 0);
}

TEST_F (ChunkedDownloaderFaults, FailureSummaryCountsTheAttemptsOfEveryChunk)
{
    juce::Random random (19);
    writeBytes (root / "www/broken.bin", randomBytes (random, 1000));

    struct Case
    {
        const char* mode;
        const char* query;
        int statusCode;
        int givingUp; // -1: every chunk
    };

    // With the default retries: 11 attempts for each chunk that fails.
    for (const auto& c : { Case { "fail500", "start=375", 500, 3 }, Case { "ignore-range", "", 200, -1 } })
    {
        SCOPED_TRACE (c.mode);
        const auto target = root / (juce::String (c.mode) + ".bin");
        std::vector<int> attempts (8, 1);

        for (int i = 0; i < 8; ++i)
            if (c.givingUp < 0 || i == c.givingUp)
                attempts[(size_t) i] = 11;

        LogCapture log;
        const auto outcome = download (server.urlFor (c.mode, "broken.bin", c.query), target);

        EXPECT_EQ (outcome.errors, 1);
        EXPECT_EQ (outcome.completions, 0);
        EXPECT_EQ (outcome.error, summary (attempts));
        EXPECT_TRUE (log.contains ("<ChunkedDownloader> Download error: " + summary (attempts)));

        for (int i = 0; i < 8; ++i)
        {
            const auto chunk = juce::String (i);
            EXPECT_EQ (log.count ("Download failed for chunk " + chunk + ", status code: " + juce::String (c.statusCode)), attempts[(size_t) i] == 11 ? 11 : 0);

            for (int attempt = 2; attempt <= attempts[(size_t) i]; ++attempt)
                EXPECT_TRUE (log.contains ("Retrying chunk " + chunk + ", attempt " + juce::String (attempt)));
        }

        const auto path = "/" + juce::String (c.mode) + "/broken.bin" + (juce::String (c.query).isEmpty() ? "" : "?" + juce::String (c.query));
        EXPECT_EQ (rangesRequested (server.getRequestLog(), path).size(), c.givingUp < 0 ? 8 * 11 : 8 + 10);
        EXPECT_FALSE (target.exists());
        EXPECT_TRUE (temporary.getChunkFiles().isEmpty()) << "no chunk file stays after a failure";
    }
}

TEST_F (ChunkedDownloaderFaults, FileReplacedDuringItsDownloadIsNeverMixed)
{
    juce::Random random (26);
    const auto original = randomBytes (random, 8 * 5000);
    juce::MemoryBlock replaced (original);

    for (size_t i = 0; i < replaced.getSize(); ++i)
        replaced[i] = (char) (replaced[i] ^ 0x5A);

    const struct
    {
        const char* query;
        bool completes;
    } cases[] = {
        { "swap=3", true }, // the server answers If-Range with the new file
        { "swap=3&if-range=ignore", true }, // the server sends the new bytes as the range asked for
        { "swap=3&every=1", false }, // replaced again during the second download
        { "swap=3&every=1&if-range=ignore", false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.query);
        writeBytes (root / "www/build.bin", original);
        const auto target = root / "out/build.bin";
        target.getParentDirectory().createDirectory();
        target.deleteFile();

        LogCapture log;
        const auto outcome = download (server.urlFor ("swap", "build.bin", c.query), target);

        EXPECT_EQ (log.count ("<ChunkedDownloader> The file changed on the server during the download, downloading it again"), 1);
        EXPECT_GE (log.countContaining ("the file changed on the server: ETag "), 1);
        EXPECT_TRUE (temporary.getChunkFiles().isEmpty());

        if (c.completes)
        {
            EXPECT_EQ (outcome.completions, 1) << outcome.error;
            EXPECT_TRUE (hasContent (target, replaced)) << "the new build, whole";
        }
        else
        {
            EXPECT_EQ (outcome.errors, 1);
            EXPECT_EQ (outcome.error, "The file changed on the server during the download");
            EXPECT_FALSE (target.exists());
        }

        // Every range asked for names the build it belongs to.
        for (const auto& line : server.getRequestLog())
        {
            if (line.contains ("\"bytes="))
            {
                EXPECT_TRUE (line.contains ("If-Range: \"")) << line;
            }
        }
    }
}

TEST_F (ChunkedDownloaderFaults, RedirectedPackageComesFromWhereItLeads)
{
    juce::Random random (27);
    const auto data = randomBytes (random, 8 * 4000);
    writeBytes (root / "www/pkg/moved.bin", data);
    LoopbackNginx second (root / "www");
    ASSERT_TRUE (second.isRunning());

    // To another server, and to another path of the same one: the ranges
    // go straight there.
    const std::pair<juce::String, juce::String> moves[] = {
        { "to=" + second.getBaseUrl(), "" },
        { "to=/ok", "/ok/pkg/moved.bin" },
    };

    for (const auto& [query, pathThere] : moves)
    {
        SCOPED_TRACE (query);
        const auto target = root / "out/moved.bin";
        target.getParentDirectory().createDirectory();
        target.deleteFile();

        LogCapture log;
        const auto outcome = download (server.urlFor ("redirect", "pkg/moved.bin", query), target);

        EXPECT_EQ (outcome.completions, 1) << outcome.error;
        EXPECT_TRUE (hasContent (target, data));
        EXPECT_EQ (log.countContaining ("<ChunkedDownloader> Redirected to: "), 1);
        EXPECT_TRUE (rangesRequested (server.getRequestLog(), "/redirect/pkg/moved.bin?" + query).isEmpty());
        EXPECT_EQ (pathThere.isEmpty() ? rangesRequested (second.getAccessLog(), "/pkg/moved.bin").size()
                                       : rangesRequested (server.getRequestLog(), pathThere).size(),
                   8);
    }

    // A loop ends with the probe, at once.
    LogCapture log;
    const auto start = juce::Time::getMillisecondCounterHiRes();
    const auto loop = download (server.urlFor ("redirect", "pkg/moved.bin"), root / "out/loop.bin");
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 10000.0);
    EXPECT_EQ (loop.error, "Failed to get file size");
    EXPECT_EQ (log.countContaining ("<ChunkedDownloader> Redirected to: "), 5);
    EXPECT_TRUE (log.contains ("<ChunkedDownloader> Failed to get file size, status code: 302, more than 5 redirects"));
    EXPECT_FALSE ((root / "out/loop.bin").exists());
}

TEST_F (ChunkedDownloaderFaults, SizeProbe)
{
    juce::Random random (20);
    const auto data = randomBytes (random, 5000);
    writeBytes (root / "www/probe.bin", data);

    // A probe answered with 206 is as good as 200.
    const auto partial = download (server.urlFor ("probe206", "probe.bin"), root / "probe.bin");
    EXPECT_EQ (partial.completions, 1);
    EXPECT_TRUE (hasContent (root / "probe.bin", data));

    // JUCE's curl backend drops the first header line: the length then
    // comes from the stream.
    EXPECT_EQ (download (server.urlFor ("length-first", "probe.bin"), root / "first.bin").completions, 1);
    EXPECT_TRUE (hasContent (root / "first.bin", data));

    // A size beyond 32 bits goes unchanged from the Content-Length into the
    // range requests.
    const juce::int64 claimed = 5LL << 30;
    const auto query = "size=" + juce::String (claimed);
    const auto huge = download (server.urlFor ("claim-size", "probe.bin", query), root / "huge.bin", 8, 0);
    EXPECT_EQ (huge.error, summary (std::vector<int> (8, 1)));

    juce::StringArray planned;

    for (const auto& range : ChunkedDownloader::planRanges (claimed, 8))
        planned.add (juce::String (range.start) + "-" + juce::String (range.end));

    auto requested = rangesRequested (server.getRequestLog(), "/claim-size/probe.bin?" + query);
    planned.sort (false);
    requested.sort (false);
    EXPECT_EQ (requested, planned);
    EXPECT_TRUE (planned.contains ("4697620480-5368709119"));

    LogCapture log;
    const auto missing = download (server.urlFor ("ok", "missing.bin"), root / "missing.bin");
    EXPECT_EQ (missing.errors, 1);
    EXPECT_EQ (missing.error, "Failed to get file size");
    EXPECT_TRUE (log.contains ("<ChunkedDownloader> Failed to get file size, status code: 404"));
    EXPECT_TRUE (log.contains ("<ChunkedDownloader> Download error: Failed to get file size"));
    EXPECT_TRUE (rangesRequested (server.getRequestLog(), "/ok/missing.bin").isEmpty());

    (root / "www/empty.bin").create();
    EXPECT_EQ (download (server.urlFor ("ok", "empty.bin"), root / "empty.bin").error, "Failed to get file size");

    LoopbackNginx stopped (root / "www");
    const auto address = stopped.urlFor ("probe.bin");
    stopped.stop();
    EXPECT_EQ (download (address, root / "refused.bin").error, "Failed to get file size");
}

//==============================================================================
namespace
{
/** A file that takes several seconds through nginx's per-connection limit,
    so that a test can act in the middle of its download.
*/
struct SlowDownload
{
    SlowDownload()
    {
        juce::Random random (21);
        data = randomBytes (random, 8 * 512 * 1024);
        writeBytes (root / "www/big.bin", data);
        target.getParentDirectory().createDirectory();
        server = std::make_unique<LoopbackNginx> (root / "www", "64k");
    }

    TemporaryFolder root;
    juce::MemoryBlock data;
    juce::File target = root / "work/big.bin";
    std::unique_ptr<LoopbackNginx> server;
};
} // namespace

TEST (ChunkedDownloaderStop, CancelRemovesTheChunkFilesAndReportsNothing)
{
    ScopedTemporaryDirectory temporary;
    SlowDownload slow;
    ASSERT_TRUE (slow.server->isRunning());

    LogCapture log;
    Outcome outcome;
    ChunkedDownloader downloader (juce::URL (slow.server->urlFor ("big.bin")), slow.target, 8);
    outcome.watch (downloader);

    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return downloader.getProgress().first > 0; }));
    const auto progress = downloader.getProgress();
    EXPECT_EQ (progress.second, (juce::int64) slow.data.getSize());
    EXPECT_LT (progress.first, progress.second);

    cancelRequested = true;
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return ! downloader.isThreadRunning(); }));
    runMessageLoopFor (50);
    cancelRequested = false;

    EXPECT_EQ (outcome.completions + outcome.errors, 0);
    EXPECT_EQ (log.countContaining ("Download error"), 0);
    EXPECT_TRUE (temporary.getChunkFiles().isEmpty());
    EXPECT_FALSE (slow.target.exists());
}

TEST (ChunkedDownloaderStop, DeletingMidDownloadStopsWithoutACallback)
{
    ScopedTemporaryDirectory temporary;
    SlowDownload slow;
    ASSERT_TRUE (slow.server->isRunning());

    for (const bool userCancelled : { false, true })
    {
        LogCapture log;
        Outcome outcome;
        auto downloader = std::make_unique<ChunkedDownloader> (juce::URL (slow.server->urlFor ("big.bin")), slow.target, 8);
        outcome.watch (*downloader);
        ASSERT_TRUE (runMessageLoopUntil ([&]
                                          { return downloader->getProgress().first > 0; }));

        // The owner deletes it on the message thread, as the monitor does.
        cancelRequested = userCancelled;
        downloader.reset();
        runMessageLoopFor (100);
        cancelRequested = false;

        EXPECT_EQ (outcome.completions + outcome.errors, 0);
        EXPECT_EQ (log.count ("<ChunkedDownloader> Download error: Download cancelled"), userCancelled ? 0 : 1);
        EXPECT_FALSE (slow.target.exists());
    }

    EXPECT_TRUE (temporary.getChunkFiles().isEmpty());
}

TEST (ChunkedDownloaderStop, DeletingDuringAStallDoesNotWaitForTheTimeOut)
{
    ScopedTemporaryDirectory temporary;
    TemporaryFolder root;
    FaultInjectingServer server (root / "www");
    ASSERT_TRUE (server.isRunning());

    juce::Random random (22);
    writeBytes (root / "www/stall.bin", randomBytes (random, 8 * 40000));

    LogCapture log;
    Outcome outcome;
    auto downloader = std::make_unique<ChunkedDownloader> (juce::URL (server.urlFor ("stall", "stall.bin")), root / "stall.bin", 8);
    outcome.watch (*downloader);

    // Each range sends half of itself and then nothing: the reads block.
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return downloader->getProgress().first >= 8 * 8192; }));

    const auto start = juce::Time::getMillisecondCounterHiRes();
    downloader.reset();
    const auto elapsed = juce::Time::getMillisecondCounterHiRes() - start;

    // The connections' own time-out would end the reads after 5 s; the
    // blocked reads are cancelled instead.
    EXPECT_LT (elapsed, 4000.0);
    runMessageLoopFor (50);
    EXPECT_EQ (outcome.completions + outcome.errors, 0);
    EXPECT_TRUE (log.contains ("<ChunkedDownloader> Download error: Download cancelled"));
}

TEST (ChunkedDownloaderStop, DeletingWhileTheResultWaitsForTheMessageThreadDoesNotDeadlock)
{
    ScopedTemporaryDirectory temporary;
    TemporaryFolder root;
    FaultInjectingServer server (root / "www");
    ASSERT_TRUE (server.isRunning());

    juce::Random random (23);
    const auto data = randomBytes (random, 3000);
    writeBytes (root / "www/file.bin", data);

    // An error about to be reported: the message thread is busy here and
    // does not serve the lock until the downloader has gone.
    {
        LogCapture log;
        Outcome outcome;
        auto downloader = std::make_unique<ChunkedDownloader> (juce::URL (server.urlFor ("fail500", "file.bin")), root / "failed.bin", 8);
        downloader->maxRetries = 0;
        downloader->retryDelayMs = 1;
        outcome.watch (*downloader);

        ASSERT_TRUE (waitWithoutMessages ([&]
                                          { return log.countContaining ("<ChunkedDownloader> Download error: ") > 0; }));
        EXPECT_TRUE (downloader->stopThread (10000)) << "the thread gave up the lock when asked to exit";
        downloader.reset();
        runMessageLoopFor (100);
        EXPECT_EQ (outcome.completions + outcome.errors, 0);

        for (const auto& file : temporary.getChunkFiles())
            file.deleteFile();
    }

    // A completed download about to be reported.
    {
        Outcome outcome;
        const auto target = root / "done.bin";
        auto downloader = std::make_unique<ChunkedDownloader> (juce::URL (server.urlFor ("ok", "file.bin")), target, 8);
        outcome.watch (*downloader);

        ASSERT_TRUE (waitWithoutMessages ([&]
                                          { return target.getSize() == 3000 && temporary.getChunkFiles().isEmpty(); }));
        EXPECT_TRUE (downloader->stopThread (10000)) << "the thread gave up the lock when asked to exit";
        downloader.reset();
        runMessageLoopFor (100);
        EXPECT_EQ (outcome.completions + outcome.errors, 0);
        EXPECT_TRUE (hasContent (target, data));
    }
}

//==============================================================================
TEST (ChunkedDownloaderFiles, ChunkFilesFallBackBesideTheTarget)
{
    TemporaryFolder root;
    FaultInjectingServer server (root / "www");
    ASSERT_TRUE (server.isRunning());

    juce::Random random (24);
    const auto data = randomBytes (random, 4000);
    writeBytes (root / "www/file.bin", data);

    // A temporary folder below a plain file cannot be created.
    const auto blocker = writeBytes (root / "blocker", randomBytes (random, 10));
    ScopedTemporaryDirectory temporary (blocker.getChildFile ("tmp"));

    // The chunks go beside the target, and go away with the download,
    // whatever its end.
    const auto target = root / "work/file.bin";
    target.getParentDirectory().createDirectory();
    const auto outcome = download (server.urlFor ("ok", "file.bin"), target);
    EXPECT_EQ (outcome.completions, 1) << outcome.error;
    EXPECT_TRUE (hasContent (target, data));

    const auto failedOutcome = download (server.urlFor ("fail500", "file.bin"), root / "work/failed.bin", 8, 0);
    EXPECT_TRUE (failedOutcome.error.startsWith ("Download failed for one or more chunks."));
    EXPECT_EQ (target.getParentDirectory().findChildFiles (juce::File::findFiles, false, "*.chunk_*").size(), 0);

    // Neither place can hold a chunk: nothing is requested.
    const auto nowhere = blocker.getChildFile ("work/file.bin");
    const auto nowhereOutcome = download (server.urlFor ("ok", "file.bin", "nowhere"), nowhere);
    EXPECT_EQ (nowhereOutcome.error, "Failed to create temp file at: " + nowhere.getSiblingFile ("file.bin.chunk_0").getFullPathName());
    EXPECT_TRUE (rangesRequested (server.getRequestLog(), "/ok/file.bin?nowhere").isEmpty());
}

TEST (ChunkedDownloaderFiles, AnIncompleteMergeIsReportedAndRemoved)
{
    ScopedTemporaryDirectory temporary;
    TemporaryFolder root;
    juce::Random random (25);
    const auto data = randomBytes (random, 80000);
    writeBytes (root / "www/file.bin", data);

    LoopbackNginx server (root / "www");
    ASSERT_TRUE (server.isRunning());

    // A file size limit makes writes past it fail as on a full disk: the
    // 10000-byte chunk files fit, the joined file does not. The disk itself
    // has room, and the log must not blame it.
    LogCapture log;
    rlimit previous {};
    ASSERT_EQ (getrlimit (RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal (SIGXFSZ, SIG_IGN);

    for (const rlim_t limit : { 40000, 75000 })
    {
        auto limited = previous;
        limited.rlim_cur = limit;
        ASSERT_EQ (setrlimit (RLIMIT_FSIZE, &limited), 0);

        const auto target = root / ("work" + juce::String ((int) limit) + "/file.bin");
        target.getParentDirectory().createDirectory();
        const auto outcome = download (server.urlFor ("file.bin"), target);

        setrlimit (RLIMIT_FSIZE, &previous);
        SCOPED_TRACE ((int) limit);

        EXPECT_EQ (outcome.completions, 0);
        EXPECT_TRUE (outcome.error.startsWith ("Failed to merge files: ")) << outcome.error;
        EXPECT_FALSE (target.exists()) << "a short merged file is removed";
    }

    std::signal (SIGXFSZ, previousHandler);
    EXPECT_EQ (log.countContaining ("The disk is full"), 0);
}

TEST (ChunkedDownloaderFiles, TooSmallADiskIsFoundOutFirstAndAFullOneEndsTheDownloadAtOnce)
{
    TemporaryFolder root;
    juce::Random random (26);
    writeBytes (root / "www/file.bin", randomBytes (random, 3 * 1024 * 1024));
    LoopbackNginx server (root / "www");
    ASSERT_TRUE (server.isRunning());

    // The target's volume too small from the start: refused before any range
    // is asked for, naming the room needed and the volume.
    {
        const auto smallFolder = root / "small-work";
        SmallVolume volume (smallFolder, 1024);
        SKIP_WITHOUT_SMALL_VOLUME (volume);
        const auto target = smallFolder.getChildFile ("file.bin");

        LogCapture log;
        DownloadOutcome outcome;
        std::optional<std::pair<juce::int64, juce::String>> shortage;

        {
            ChunkedDownloader downloader (juce::URL (server.urlFor ("file.bin")), target, 8);
            outcome.watch (downloader);
            EXPECT_TRUE (runMessageLoopUntil ([&]
                                              { return ! downloader.isThreadRunning(); },
                                              100000));
            shortage = downloader.getSpaceShortage();
            EXPECT_FALSE (downloader.ranOutOfDiskSpace());
        }

        ASSERT_TRUE (shortage.has_value());
        EXPECT_EQ (shortage->first, DiskSpace::neededForDownload (3 * 1024 * 1024, 3 * 1024 * 1024 / 8, 0, false));
        EXPECT_EQ (shortage->second, smallFolder.getFullPathName());
        EXPECT_EQ (outcome.errors, 1);
        EXPECT_TRUE (outcome.error.startsWith ("Not enough disk space: ")) << outcome.error;
        EXPECT_TRUE (rangesRequested (server.getAccessLog(), "/file.bin").isEmpty());
        EXPECT_FALSE (target.exists());
    }

    // Room enough for the target, but the ranges' store on a volume that
    // fills up meanwhile: the write that fails ends it, without retries.
    {
        const auto smallFolder = root / "small-store";
        SmallVolume volume (smallFolder, 1024);
        SKIP_WITHOUT_SMALL_VOLUME (volume);
        const auto target = root / "work/file.bin";
        target.getParentDirectory().createDirectory();

        LogCapture log;
        DownloadOutcome outcome;
        bool ranOut = false;

        {
            ChunkedDownloader downloader (juce::URL (server.urlFor ("file.bin")), target, 8, DownloadStore (smallFolder).open (server.urlFor ("file.bin")));
            outcome.watch (downloader);
            EXPECT_TRUE (runMessageLoopUntil ([&]
                                              { return ! downloader.isThreadRunning(); },
                                              100000));
            ranOut = downloader.ranOutOfDiskSpace();
        }

        EXPECT_TRUE (ranOut);
        EXPECT_EQ (outcome.completions, 0);
        EXPECT_EQ (outcome.errors, 1);
        EXPECT_EQ (log.countContaining ("<ChunkedDownloader> The disk is full: "), 1);
        EXPECT_EQ (log.countContaining ("Retrying chunk"), 0) << "another attempt would meet the same full disk";
        EXPECT_FALSE (target.exists());
    }
}

TEST (ChunkedDownloaderFiles, RangesAndTheJoinedFileShareAVolumeThatHoldsTheFileOnce)
{
    TemporaryFolder root;
    juce::Random random (27);
    const auto data = randomBytes (random, 3 * 1024 * 1024);
    writeBytes (root / "www/file.bin", data);
    LoopbackNginx server (root / "www");
    ASSERT_TRUE (server.isRunning());

    // 5 MiB: the file once, a range more and the reserve, not the ranges and
    // the whole file together.
    const auto small = root / "small";
    SmallVolume volume (small, 5120);
    SKIP_WITHOUT_SMALL_VOLUME (volume);
    ScopedTemporaryDirectory temporary (small);

    const auto target = small.getChildFile ("file.bin");
    const auto outcome = download (server.urlFor ("file.bin"), target);

    EXPECT_EQ (outcome.completions, 1) << outcome.error;
    EXPECT_TRUE (hasContent (target, data));
    EXPECT_TRUE (temporary.getChunkFiles().isEmpty());
}
