#include "download/InstallerRetry.h"

#include "base/DetachedThread.h"
#include "base/ProcessState.h"
#include "download/InstallMonitor.h"
#include "download/InstallerLauncher.h"
#include "download/StatusText.h"

#include <juce_events/juce_events.h>

namespace InstallerRetry
{
juce::String launchAndLookOnce (const Selection& selection, const juce::File& installer)
{
    InstallMonitor watcher (selection.deviceName);
    launchInstaller (selection.region, selection.softwareName, installer.getFullPathName());

    if (! watcher.findInstallerWindow())
        return {};

    const auto outcome = watcher.analyseWindow();

    if (outcome == InstallMonitor::resultDone)
        return StatusText::installed;

    if (StatusText::isInstallerFailure (outcome))
        return outcome;

    return {};
}

void launchInBackground (const Selection& selection, const juce::File& installer, std::function<void (const juce::String&)> onStatus)
{
    const auto retry = [selection, installer, onStatus]
    {
        const auto status = launchAndLookOnce (selection, installer);

        const auto report = [onStatus, status]
        { onStatus (status); };

        if (status.isNotEmpty())
            juce::MessageManager::callAsync (report);
    };

    if (! runOnDetachedThread (retry))
        retry();
}

bool retryLastInstaller (const Selection& selection, std::function<void (const juce::String&)> onStatus)
{
    // The path the last download left; a relative or empty one names no file.
    const auto installer = juce::File::isAbsolutePath (lastInstallerPath) ? juce::File (lastInstallerPath) : juce::File();

    if (! installer.existsAsFile())
    {
        juce::Logger::writeToLog ("<handleDownloadResult> package not found in: " + lastInstallerPath);
        return false;
    }

    launchInBackground (selection, installer, std::move (onStatus));
    return true;
}
} // namespace InstallerRetry
