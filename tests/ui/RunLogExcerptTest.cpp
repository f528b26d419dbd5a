#include <gtest/gtest.h>

#include "ui/RunLogExcerpt.h"

namespace
{
/** A run as FileLogger starts it, with one line of its own. */
juce::String run (int number)
{
    return "\r\n" + juce::String::repeatedString ("*", 58) + "\r\nStratoset version: 1.1.17\r\nLog started: today\r\n\r\n<Run> " + juce::String (number) + "\r\n";
}
} // namespace

TEST (RunLogExcerpt, KeepsTheLastFiveRunsOldestFirst)
{
    juce::String log = "\r\nthe end of a run cut at start\r\n";

    for (int i = 1; i <= 7; ++i)
        log += run (i);

    const auto excerpt = RunLogExcerpt::lastRuns (log);
    EXPECT_TRUE (excerpt.startsWith (juce::String::repeatedString ("*", 58) + "\r\nStratoset version"));
    EXPECT_TRUE (excerpt.contains ("<Run> 3\r\n"));
    EXPECT_FALSE (excerpt.contains ("<Run> 2\r\n"));
    EXPECT_TRUE (excerpt.endsWith ("<Run> 7\r\n"));
    EXPECT_LT (excerpt.indexOf ("<Run> 3"), excerpt.indexOf ("<Run> 7"));
}

TEST (RunLogExcerpt, ShortLogsAndLogsWithoutWelcomeBlockAreCopiedWhole)
{
    const auto threeRuns = "\r\nolder lines\r\n" + run (1) + run (2) + run (3);
    EXPECT_EQ (RunLogExcerpt::lastRuns (threeRuns), threeRuns);
    EXPECT_EQ (RunLogExcerpt::lastRuns ("no block here\r\n"), "no block here\r\n");

    // Asterisks inside a longer line are no welcome block.
    const auto logged = run (1) + "<X> " + juce::String::repeatedString ("*", 58) + "\r\n" + run (2);
    EXPECT_EQ (RunLogExcerpt::lastRuns (logged, 2), logged.substring (2));
}
