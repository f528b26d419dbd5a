#pragma once

#include <juce_core/juce_core.h>

#include "support/InstallerRecords.h"

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

using InstallerRecords::readRuns;
using InstallerRecords::Run;

/** Waits until every installer started by launchInstaller has ended. */
inline bool waitForInstallersToEnd (int timeoutMs = 60000)
{
    return InstallerRecords::waitForInstallersToEnd (timeoutMs);
}

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
