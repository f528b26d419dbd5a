#pragma once

#include <juce_core/juce_core.h>

/** The part of the run log that Copy Log File puts on the clipboard. */
namespace RunLogExcerpt
{
/** Runs kept in the excerpt. */
constexpr int runsCopied = 5;

/** The last `runs` runs of the log text, oldest first. Each run begins
    with the line of asterisks of its welcome block; with no more runs than
    that (or no block at all) the whole text.
*/
juce::String lastRuns (const juce::String& logText, int runs = runsCopied);
} // namespace RunLogExcerpt
