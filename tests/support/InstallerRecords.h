#pragma once

#include <juce_core/juce_core.h>

#include "download/InstallerLauncher.h"

#include <vector>

/** What the project's fake installers (the script for the simulated host
    and the Windows program) record of their runs, and the wait for the
    installers that launchInstaller started. Both write one JSON object per
    run into "<program>.record" beside themselves.
*/
namespace InstallerRecords
{
/** One run, as the fake installer recorded it. */
struct Run
{
    juce::String program; // its own path, as the system reports it
    juce::String commandLine; // Windows only: the command line exactly as it was given
    juce::StringArray arguments; // the program's name left out
    juce::StringArray pages, presses;
    juce::String outcome;
};

/** The runs of the copy at `program`, oldest first. */
inline std::vector<Run> readRuns (const juce::File& program)
{
    const auto toStrings = [] (const juce::var& list)
    {
        juce::StringArray strings;

        if (const auto* items = list.getArray())
            for (const auto& item : *items)
                strings.add (item.toString());

        return strings;
    };

    std::vector<Run> runs;
    juce::StringArray lines;
    program.getSiblingFile (program.getFileName() + ".record").readLines (lines);

    for (const auto& line : lines)
    {
        const auto parsed = juce::JSON::parse (line);

        if (parsed.isObject())
            runs.push_back ({ parsed["program"].toString(),
                              parsed["commandLine"].toString(),
                              toStrings (parsed["arguments"]),
                              toStrings (parsed["pages"]),
                              toStrings (parsed["presses"]),
                              parsed["outcome"].toString() });
    }

    return runs;
}

/** Waits until every installer that launchInstaller started has ended. */
inline bool waitForInstallersToEnd (int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (getRunningInstallerCount() > 0)
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        juce::Thread::sleep (5);
    }

    return true;
}
} // namespace InstallerRecords
