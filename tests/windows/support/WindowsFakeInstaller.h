#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** The fake installer built beside the runner (fake-installer/): placing
    copies of it, reading what its runs recorded, and making sure none
    outlives a test.
*/
namespace WindowsFakeInstaller
{
/** A copy of the fake installer at `file` (its folders are made). Its
    page sequence follows from its name, "<title>.<scenario>.exe"; under
    any other name it records its command line and ends.
*/
juce::File placeCopyAt (const juce::File& file);

/** One run, as the program recorded it. */
struct Run
{
    juce::String program; // its own path, as Windows reports it
    juce::String commandLine; // the command line exactly as it was given
    juce::StringArray arguments; // what Windows parses from it, the program's name left out
    juce::StringArray pages, presses;
    juce::String outcome;
};

/** The runs of the copy at `program`, oldest first. */
std::vector<Run> readRuns (const juce::File& program);

/** Waits until every installer started by launchInstaller has ended. */
bool waitForInstallersToEnd (int timeoutMs = 60000);

/** At the end of a test: ends every program started from below `folder`
    that still shows a dialog, then waits for the installers to end.
*/
class EndGuard
{
public:
    explicit EndGuard (const juce::File& folderToWatch) : folder (folderToWatch) {}
    ~EndGuard();

    EndGuard (const EndGuard&) = delete;
    EndGuard& operator= (const EndGuard&) = delete;

private:
    juce::File folder;
};
} // namespace WindowsFakeInstaller
