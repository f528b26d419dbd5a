#include "download/InstallerRetry.h"

#include "base/DetachedThread.h"
#include "base/ProcessState.h"
#include "download/InstallMonitor.h"
#include "download/InstallerLauncher.h"
#include "download/StatusText.h"

#include <juce_events/juce_events.h>

namespace InstallerRetry
{
juce::String launchAndLookOnce (const Selection& selection, const juce::File& installer, int endWaitMs)
{
    InstallMonitor watcher (selection.deviceName);
    const auto run = startInstaller (selection.region, selection.softwareName, installer.getFullPathName());

    if (run == nullptr)
    {
        juce::Logger::writeToLog ("<InstallerRetry> The installer could not be started: " + installer.getFullPathName());
        return StatusText::installError;
    }

    watcher.setInstallerProcess (run->getProcessId());

    if (watcher.findInstallerWindow())
    {
        const auto outcome = watcher.analyseWindow();

        if (outcome == InstallMonitor::resultDone)
            return StatusText::installed;

        if (StatusText::isInstallerFailure (outcome))
            return outcome;
    }

    // No page that tells: the installer's own word, once it has ended.
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) endWaitMs;

    while (! run->hasEnded() && juce::Time::getMillisecondCounter() < end)
        juce::Thread::sleep (100);

    if (! run->hasEnded())
        return StatusText::timeOut;

    const auto code = run->getExitCode();
    juce::Logger::writeToLog ("<InstallerRetry> The installer ended with exit code " + juce::String (code));
    return InstallerRun::meansInstalled (code) ? StatusText::installed : StatusText::installError;
}

void launchInBackground (const Selection& selection, const juce::File& installer, std::function<void (const juce::String&)> onStatus)
{
    const auto retry = [selection, installer, onStatus]
    {
        const auto status = launchAndLookOnce (selection, installer, endWaitLimitMs);

        const auto report = [onStatus, status]
        { onStatus (status); };

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
        onStatus (StatusText::installError);
        return false;
    }

    launchInBackground (selection, installer, std::move (onStatus));
    return true;
}
} // namespace InstallerRetry
