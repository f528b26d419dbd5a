#include <gtest/gtest.h>

#include "support/LoopbackNginx.h"
#include "support/TemporaryFolder.h"

// The test server itself: other tests rely on it honouring ranges and on its log.
TEST (LoopbackNginx, ServesRangesAndLogsThem)
{
    TemporaryFolder root;
    root.write ("files/data.bin", "0123456789");

    LoopbackNginx server (root.getFolder());
    ASSERT_TRUE (server.isRunning());

    int status = 0;
    auto stream = juce::URL (server.urlFor ("files/data.bin"))
                      .createInputStream (juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress)
                                              .withExtraHeaders ("Range: bytes=2-5")
                                              .withStatusCode (&status));
    ASSERT_NE (stream, nullptr);
    EXPECT_EQ (status, 206);
    EXPECT_EQ (stream->readEntireStreamAsString(), "2345");

    stream.reset();

    // nginx writes the log line once the answer has gone out.
    for (int i = 0; i < 100 && server.getAccessLog().isEmpty(); ++i)
        juce::Thread::sleep (10);

    const auto log = server.getAccessLog();
    ASSERT_EQ (log.size(), 1);
    EXPECT_EQ (log[0], "GET /files/data.bin 206 \"bytes=2-5\" 4");

    const auto address = server.urlFor ("files/data.bin");
    server.stop();
    EXPECT_EQ (juce::URL (address).createInputStream (juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress).withConnectionTimeoutMs (1000)), nullptr);
}
