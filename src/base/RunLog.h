#pragma once

#include <juce_core/juce_core.h>

/** The run log: one JUCE FileLogger, registered as the current logger for the
    whole run, that every part of the program writes to through
    Logger::writeToLog. Each message is one CR LF-terminated entry.
*/
namespace RunLog
{
/** The roaming application-data folder / "Velmora" / "Stratoset" / "runtimeLog.txt". */
juce::File getLogFile();

/** "Stratoset version: " followed by the application version. */
juce::String getWelcomeMessage();

/** Older runs beyond this many bytes are cut off at each start. */
constexpr juce::int64 sizeKeptAtStart = 128 * 1024;

/** Trims the log, creates it with its folders when missing and appends
        the welcome block. A log that cannot be written fails silently.
    */
std::unique_ptr<juce::FileLogger> open();

/** Makes `log` the current logger for the run, behind a gate that is never
    destroyed, so a worker thread that writes while the run ends finds either
    the log or nothing, never a log being deleted.
*/
void install (std::unique_ptr<juce::FileLogger> log);

/** Deletes the installed log; what is written after that is dropped. */
void close();
} // namespace RunLog
