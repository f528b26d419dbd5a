#pragma once

#include <juce_core/juce_core.h>

#include "download/Selection.h"

#include <functional>

/** The Retry button's work after an installer reported a failure: the
    installer of the last download is started again and its dialog is looked
    at once, right after the start; its pages are the user's to answer after
    that.
*/
namespace InstallerRetry
{
/** How long a retried installer whose dialog tells nothing is waited for
    before "Time out" gives the window back: as long as the dialog watch of
    a download waits.
*/
constexpr int endWaitLimitMs = 30 * 1000;

/** Starts `installer` for the request and reads its dialog once:
    "Installed" when the page says the installation is done, the installer's
    own failure text when it shows one. Otherwise (no dialog, or a page that
    is the user's to answer) the installer's exit code decides once it has
    ended: "Installed" or "Install error", and "Time out" when it has not
    ended within `endWaitMs`. "Install error" at once when it cannot be
    started, "Not signed" when its signature is not the maker's (it is
    then removed and never started). Pressing the dialog's button and waiting for the end take time,
    so this runs off the message thread.
*/
juce::String launchAndLookOnce (const Selection& selection, const juce::File& installer, int endWaitMs = endWaitLimitMs);

/** launchAndLookOnce on a thread of its own; the status that came of it is
    handed to `onStatus` on the message thread. After "Time out" the thread
    goes on waiting for the installer's end, and its exit code follows
    ("Installed" or "Install error"), unless the program ends first. A
    refused installer gives "Not signed" after "Install error".
*/
void launchInBackground (const Selection& selection, const juce::File& installer, std::function<void (const juce::String&)> onStatus, int endWaitMs = endWaitLimitMs);

/** The Retry button's work: launchInBackground with the last download's
    installer. When that installer is gone: a run-log line, "Install error"
    to `onStatus` at once, and false.
*/
bool retryLastInstaller (const Selection& selection, std::function<void (const juce::String&)> onStatus, int endWaitMs = endWaitLimitMs);
} // namespace InstallerRetry
