#pragma once

#include <juce_core/juce_core.h>

#include <functional>

#include "devices/SharedSettings.h"
#include "download/Selection.h"

namespace DownloadResult
{
/** Turns a finished download into a running installer: a ZIP archive is
    unpacked beside itself into a folder named after it and the installer
    for this system's architecture is picked from it; any other file is the
    installer itself. The installer is started silently and remembered in
    lastInstallerPath. For the packages whose installers show no dialog to
    answer (see reportsOwnOutcome) the outcome is reported here too:
    "Installed" 2.5 s after the start, or "Install error". A package without
    a usable installer ends in "Download error".

    DownloadMonitor::handleDownloadResult calls it when its download is
    complete, with what the monitor holds.
*/
void handle (const juce::URL& url,
             const juce::File& targetFile,
             const Selection& selection,
             const SharedSettings& settings,
             const std::function<void (const juce::String&)>& statusCallback);

/** The program to run among the ".exe" files unpacked into `folder`, in the
    order given: one whose path inside the archive names the other
    architecture ("x86" or "x64" without the system's "86" or "64") is
    passed over; a single candidate is taken whatever its name, otherwise the
    first whose name, without blanks and in lower case, contains "setup". A
    non-existent File when none fits. `systemBitness` is "32" or "64". Every
    decision is logged.

    Only the path inside the archive counts for the architecture: the work
    folder's own path (a user name such as "Bob64") says nothing about the
    package.
*/
juce::File pickInstaller (const juce::Array<juce::File>& candidates, const juce::File& folder, const juce::String& systemBitness);

/** True for the packages whose installers need no dialog answered, whose
    outcome the result handling reports itself.
*/
bool reportsOwnOutcome (const Selection& selection, const SharedSettings& settings);

/** How long an installer that needs no answers is given before "Installed". */
constexpr int settleTimeMs = 2500;
} // namespace DownloadResult
