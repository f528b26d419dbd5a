#include <gtest/gtest.h>

#include "devices/FileFetch.h"
#include "support/FaultInjectingServer.h"
#include "support/LoopbackNginx.h"
#include "support/MessageLoop.h"
#include "support/TemporaryFolder.h"

namespace
{
double secondsSince (double start) { return (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0; }
} // namespace

// A fetch ends within its limits whatever the server does, and only a whole
// answer is left behind. The bounds below are many times the limits, so a
// slow machine cannot fail them; a fetch without limits would never end.
TEST (FileFetch, OnlyAWholeAnswerArrivesAndEveryFetchEndsWithinItsLimits)
{
    TemporaryFolder site, work;
    juce::MemoryBlock data (3 * 1024 * 1024 + 17);

    for (size_t i = 0; i < data.getSize(); ++i)
        data[i] = (char) (i * 31 + 7);

    (site / "files/data.bin").getParentDirectory().createDirectory();
    (site / "files/data.bin").replaceWithData (data.getData(), data.getSize());
    (site / "files/empty.bin").create();

    LoopbackNginx nginx (site.getFolder());
    FaultInjectingServer faults (site.getFolder());
    ASSERT_TRUE (nginx.isRunning());
    ASSERT_TRUE (faults.isRunning());

    const FileFetch::Limits limits { 1000, 2000 };
    const auto target = work / "fetched.bin";

    // The whole answer gets time enough for any machine; the tight limits
    // are for the servers that fail.
    ASSERT_TRUE (FileFetch::fetchNow (juce::URL (nginx.urlFor ("files/data.bin")), target, { 30000, 60000 }));
    juce::MemoryBlock fetched;
    target.loadFileAsData (fetched);
    EXPECT_TRUE (fetched == data);

    const std::pair<const char*, juce::String> failures[] = {
        { "not found", nginx.urlFor ("files/missing.bin") },
        { "empty", nginx.urlFor ("files/empty.bin") },
        { "accepts and never answers", faults.urlFor ("silent", "files/data.bin") },
        { "sends without end", faults.urlFor ("claim-size", "files/data.bin", "size=10000000000") },
    };

    for (const auto& [what, address] : failures)
    {
        target.replaceWithText ("from before");
        const auto start = juce::Time::getMillisecondCounterHiRes();
        EXPECT_FALSE (FileFetch::fetchNow (juce::URL (address), target, limits)) << what;
        EXPECT_LT (secondsSince (start), 15.0) << what;
        EXPECT_FALSE (target.exists()) << what << ": nothing but a whole answer stays";
    }

    // In the background: the outcome comes on the message thread, the total
    // limit holds for a connection blocked in a read, and letting go of a
    // fetch never waits for the server.
    std::optional<bool> outcome;
    const auto start = juce::Time::getMillisecondCounterHiRes();
    FileFetch endless (juce::URL (faults.urlFor ("silent", "files/data.bin")), target, { 60000, 1500 });
    endless.setOnFinished ([&] (bool arrived)
                           { outcome = arrived; });
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return outcome.has_value(); },
                                      20000));
    EXPECT_FALSE (*outcome);
    EXPECT_LT (secondsSince (start), 15.0);

    auto abandoned = std::make_unique<FileFetch> (juce::URL (faults.urlFor ("silent", "files/data.bin")), target, FileFetch::Limits { 60000, 60000 });
    runMessageLoopFor (300);
    const auto letGo = juce::Time::getMillisecondCounterHiRes();
    abandoned.reset();
    EXPECT_LT (secondsSince (letGo), 5.0);
}
