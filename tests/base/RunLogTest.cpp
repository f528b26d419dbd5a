#include <gtest/gtest.h>

#include "base/RunLog.h"
#include "support/FakePlatform.h"
#include "support/TemporaryFolder.h"

#include <thread>

namespace
{
juce::MemoryBlock readBytes (const juce::File& file)
{
    juce::MemoryBlock bytes;
    file.loadFileAsData (bytes);
    return bytes;
}

juce::String readText (const juce::File& file)
{
    const auto bytes = readBytes (file);
    return juce::String::fromUTF8 ((const char*) bytes.getData(), (int) bytes.getSize());
}
} // namespace

TEST (RunLog, LivesInTheRoamingApplicationDataFolder)
{
    TemporaryFolder root;
    FakeShellFolders folders (root.getFolder());

    EXPECT_EQ (RunLog::getLogFile(), root / "Users/user/AppData/Roaming/Velmora/Stratoset/runtimeLog.txt");
}

TEST (RunLog, StartWritesTheWelcomeBlockWithCrLfLineEnds)
{
    TemporaryFolder root;
    FakeShellFolders folders (root.getFolder());

    const auto before = juce::Time::getCurrentTime();
    auto logger = RunLog::open();
    logger->logMessage ("<Test> first line");

    const auto file = RunLog::getLogFile();
    ASSERT_TRUE (file.existsAsFile()) << "the Velmora and Stratoset folders are created";

    const auto text = readText (file);
    const auto lines = juce::StringArray::fromTokens (text, "\n", {});

    ASSERT_EQ (lines.size(), 7) << text;
    for (int i = 0; i < lines.size() - 1; ++i)
        EXPECT_TRUE (lines[i].endsWith ("\r")) << "line " << i << " ends with CR LF";

    EXPECT_EQ (lines[0], "\r");
    EXPECT_EQ (lines[1], juce::String::repeatedString ("*", 58) + "\r");
    EXPECT_EQ (lines[2], "Stratoset version: 1.1.17\r");
    EXPECT_TRUE (lines[3].startsWith ("Log started: ")) << lines[3];
    EXPECT_EQ (lines[4], "\r");
    EXPECT_EQ (lines[5], "<Test> first line\r");
    EXPECT_EQ (lines[6], "");

    const auto stamp = lines[3].fromFirstOccurrenceOf ("Log started: ", false, false).trimEnd();
    EXPECT_TRUE (stamp == before.toString (true, true) || stamp == juce::Time::getCurrentTime().toString (true, true)) << stamp;
}

TEST (RunLog, StartAppendsToTheLogOfEarlierRuns)
{
    TemporaryFolder root;
    FakeShellFolders folders (root.getFolder());
    root.write ("Users/user/AppData/Roaming/Velmora/Stratoset/runtimeLog.txt", "earlier run\r\n");

    auto logger = RunLog::open();

    const auto text = readText (RunLog::getLogFile());
    EXPECT_TRUE (text.startsWith ("earlier run\r\n\r\n****")) << text;
    EXPECT_EQ (text.indexOf ("Stratoset version: 1.1.17"), text.lastIndexOf ("Stratoset version: 1.1.17"));
}

TEST (RunLog, StartCutsALargeLogToItsLast128KiBAtALineBreak)
{
    TemporaryFolder root;
    FakeShellFolders folders (root.getFolder());

    juce::String old;
    for (int i = 0; old.length() < 200 * 1024; ++i)
        old << "<Old> line number " << i << " of an earlier run\r\n";

    const auto file = root.write ("Users/user/AppData/Roaming/Velmora/Stratoset/runtimeLog.txt", old);
    const auto oldSize = (int) file.getSize();
    ASSERT_GE (oldSize, 200 * 1024);

    auto logger = RunLog::open();

    const auto text = readText (file);
    const auto kept = text.upToLastOccurrenceOf ("\r\n" + juce::String::repeatedString ("*", 58), false, false);

    EXPECT_LE (kept.length(), 128 * 1024);
    EXPECT_GT (kept.length(), 128 * 1024 - 60) << "only the line cut through is lost";
    EXPECT_TRUE (kept[0] == '\r' || kept[0] == '\n') << "starts with the line break that ends the line cut through";
    EXPECT_TRUE (old.endsWith (kept)) << "the newest lines are kept unchanged";
}

TEST (RunLog, MessagesFromSeveralThreadsStayWhole)
{
    TemporaryFolder root;
    FakeShellFolders folders (root.getFolder());
    auto logger = RunLog::open();

    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back ([&logger, t]
                              {
                                  for (int i = 0; i < 100; ++i)
                                      logger->logMessage ("<Writer" + juce::String (t) + "> message " + juce::String (i) + " with a tail of text"); });

    for (auto& w : writers)
        w.join();

    int whole = 0;
    for (const auto& line : juce::StringArray::fromLines (readText (RunLog::getLogFile())))
        if (line.startsWith ("<Writer"))
        {
            EXPECT_TRUE (line.endsWith (" with a tail of text")) << line;
            ++whole;
        }

    EXPECT_EQ (whole, 400);
}
