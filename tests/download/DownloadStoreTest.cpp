#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "download/ChunkedDownloader.h"
#include "download/DownloadStore.h"
#include "support/DownloadOutcome.h"
#include "support/LogCapture.h"
#include "support/LoopbackNginx.h"
#include "support/TemporaryFolder.h"

namespace
{
using Record = DownloadStore::Record;

juce::MemoryBlock randomBytes (int seed, size_t size)
{
    juce::Random random (seed);
    juce::MemoryBlock data (size);

    for (size_t i = 0; i < size; ++i)
        data[i] = (char) random.nextInt (256);

    return data;
}

/** The validator nginx gives a file, as the downloader's size probe reads it. */
juce::String etagOf (const juce::String& address)
{
    juce::StringPairArray headers;
    const auto stream = juce::URL (address).createInputStream (juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress)
                                                                   .withConnectionTimeoutMs (5000)
                                                                   .withResponseHeaders (&headers));
    return stream != nullptr ? headers["ETag"].trim() : juce::String();
}

juce::StringArray rangesAskedFor (const LoopbackNginx& server, const juce::String& path)
{
    juce::StringArray ranges;

    for (const auto& line : server.getAccessLog())
        if (line.startsWith ("GET " + path + " ") && line.contains ("\"bytes="))
            ranges.add (line.fromFirstOccurrenceOf ("\"bytes=", false, false).upToFirstOccurrenceOf ("\"", false, false));

    return ranges;
}
} // namespace

TEST (DownloadStore, AnEntryIsOneCopysAndItsRecordIsReplacedWhole)
{
    TemporaryFolder temporary;
    DownloadStore store (temporary / "downloads");

    auto entry = store.open ("http://host/a.zip");
    ASSERT_NE (entry, nullptr);
    EXPECT_EQ (store.open ("http://host/a.zip"), nullptr) << "held by the first";
    EXPECT_NE (store.open ("http://host/b.zip"), nullptr);
    EXPECT_FALSE (entry->readRecord().has_value());

    const Record record { "http://host/a.zip", 5000000000LL, "ETag", "\"5f-1\"", { 0, 625000000, 3 } };
    ASSERT_TRUE (entry->writeRecord (record));
    EXPECT_EQ (entry->readRecord(), record);
    EXPECT_EQ (entry->getFolder().findChildFiles (juce::File::findFiles, false).size(), 1) << "no half-written record beside it";

    // A record cut short, or claiming what cannot be, is no record.
    for (const auto* text : { "{\"address\": \"http://host/a.zip\", \"size\": 10, \"ranges\": [1, ", "{\"address\": \"http://host/a.zip\", \"size\": 10, \"ranges\": [-5]}", "" })
    {
        entry->getFolder().getChildFile ("record.json").replaceWithText (text);
        EXPECT_FALSE (entry->readRecord().has_value()) << text;
    }

    entry.reset();
    EXPECT_NE (store.open ("http://host/a.zip"), nullptr) << "free again once let go";
}

TEST (DownloadStore, PrunesOldAndOversizedEntriesButNeverOneInUse)
{
    TemporaryFolder temporary;
    const auto now = juce::Time::getCurrentTime();

    struct Entry
    {
        const char* address;
        juce::RelativeTime age;
        int bytes;
        bool inUse;
        bool stays;
    };

    const Entry entries[] = {
        { "http://host/new.zip", juce::RelativeTime::days (1), 3000, false, true },
        { "http://host/old.zip", juce::RelativeTime::days (8), 100, false, false },
        { "http://host/old-in-use.zip", juce::RelativeTime::days (30), 100, true, true },
        { "http://host/middle.zip", juce::RelativeTime::days (3), 4000, false, false }, // the oldest beyond the cap of 10000
        { "http://host/big-in-use.zip", juce::RelativeTime::days (5), 5000, true, true },
    };

    DownloadStore store (temporary / "downloads");
    std::vector<std::unique_ptr<DownloadStore::Entry>> held;

    for (const auto& e : entries)
    {
        auto entry = store.open (e.address);
        ASSERT_NE (entry, nullptr);
        entry->getRangeFile (0).replaceWithData (randomBytes (1, (size_t) e.bytes).getData(), (size_t) e.bytes);
        ASSERT_TRUE (entry->writeRecord ({ e.address, e.bytes, "ETag", "\"x\"", { e.bytes } }));
        entry->getFolder().getChildFile ("record.json").setLastModificationTime (now - e.age);

        if (e.inUse)
            held.push_back (std::move (entry));
    }

    EXPECT_EQ (store.prune (now, DownloadStore::defaultMaxAge(), 10000), 2);

    for (const auto& e : entries)
        EXPECT_EQ ((temporary / "downloads").getChildFile (DownloadStore::keyFor (e.address)).isDirectory(), e.stays) << e.address;
}

TEST (ChunkedDownloaderStore, GoesOnFromTheBytesOnDiskAndStartsAnewForAnotherBuild)
{
    cancelRequested = false;
    TemporaryFolder root;
    const auto data = randomBytes (3, 400000);
    (root / "www").createDirectory();
    (root / "www/pkg.bin").replaceWithData (data.getData(), data.getSize());
    LoopbackNginx server (root / "www");
    ASSERT_TRUE (server.isRunning());

    const auto address = server.urlFor ("pkg.bin");
    const auto ranges = ChunkedDownloader::planRanges (400000, 8);
    DownloadStore store (root / "downloads");

    struct Case
    {
        const char* what;
        juce::String validator;
        bool goesOn;
    };

    const Case cases[] = {
        { "the same build", etagOf (address), true },
        { "another build", "\"another\"", false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ASSERT_TRUE (c.validator.isNotEmpty());
        auto entry = store.open (address);
        ASSERT_NE (entry, nullptr);

        // As a run killed mid-way leaves it: each range holds its first half
        // as the record claims, and some bytes more that the record does not
        // claim (written, never forced to the disk): wrong ones, to be cut off.
        Record record { address, 400000, "ETag", c.validator, {} };

        for (size_t i = 0; i < ranges.size(); ++i)
        {
            const auto half = ranges[i].getLength() / 2;
            juce::MemoryBlock bytes (data.begin() + ranges[i].start, (size_t) half);
            bytes.append ("garbage", 7);
            entry->getRangeFile ((int) i).replaceWithData (bytes.getData(), bytes.getSize());
            record.rangeBytes.push_back (half);
        }

        ASSERT_TRUE (entry->writeRecord (record));
        const auto entryFolder = entry->getFolder();
        const auto target = root / ("work/" + juce::String (c.goesOn ? "same" : "other") + "/pkg.bin");
        target.getParentDirectory().createDirectory();

        LogCapture log;
        DownloadOutcome outcome;
        {
            ChunkedDownloader downloader (juce::URL (address), target, 8, std::move (entry));
            outcome.watch (downloader);
            ASSERT_TRUE (runMessageLoopUntil ([&]
                                              { return ! downloader.isThreadRunning(); },
                                              100000));
        }

        EXPECT_EQ (outcome.completions, 1) << outcome.error;
        juce::MemoryBlock arrived;
        EXPECT_TRUE (target.loadFileAsData (arrived) && arrived == data) << "byte for byte, never mixed";

        juce::StringArray expected;

        for (const auto& range : ranges)
            expected.add (juce::String (range.start + (c.goesOn ? range.getLength() / 2 : 0)) + "-" + juce::String (range.end));

        expected.sort (true);
        auto asked = rangesAskedFor (server, "/pkg.bin");
        asked.removeRange (0, juce::jmax (0, asked.size() - 8));
        asked.sort (true);
        EXPECT_EQ (asked, expected);
        EXPECT_EQ (log.contains ("<ChunkedDownloader> Going on from 200000 of 400000 bytes kept from an earlier download"), c.goesOn);
        EXPECT_EQ (log.contains ("<ChunkedDownloader> The kept part of the download is of another build of the file, starting anew"), ! c.goesOn);
        EXPECT_FALSE (entryFolder.exists()) << "a completed download leaves nothing in the store";
    }
}
