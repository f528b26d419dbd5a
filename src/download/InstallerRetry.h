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
/** Starts `installer` for the request and reads its dialog once: "Installed"
    when the page says the installation is done, the installer's own failure
    text when it shows one, empty otherwise. Pressing the dialog's button
    waits for the installer, so this runs off the message thread.
*/
juce::String launchAndLookOnce (const Selection& selection, const juce::File& installer);

/** launchAndLookOnce on a thread of its own; a status that came of it is
    handed to `onStatus` on the message thread.
*/
void launchInBackground (const Selection& selection, const juce::File& installer, std::function<void (const juce::String&)> onStatus);

/** The Retry button's work: launchInBackground with the last download's
    installer. False, with a run-log line, when that installer is gone.
*/
bool retryLastInstaller (const Selection& selection, std::function<void (const juce::String&)> onStatus);
} // namespace InstallerRetry
