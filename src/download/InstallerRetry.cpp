#include "download/InstallerRetry.h"

#include "base/DetachedThread.h"
#include "base/ProcessState.h"
#include "download/InstallMonitor.h"
#include "download/InstallerLauncher.h"
#include "download/InstallerSignature.h"
#include "download/StatusText.h"

#include <juce_events/juce_events.h>

namespace InstallerRetry
{
namespace
{
    constexpr int endPollMs = 100;

    /** The status a retry came to, and the installer it started. */
    struct Outcome
    {
        juce::String status;
        std::shared_ptr<InstallerRun> run;
    };

    /** Waits until the installer has ended, the deadline (0: none) has passed or the program ends. */
    void waitForEnd (const InstallerRun& run, juce::uint32 deadline)
    {
        while (! run.hasEnded() && ! detachedThreadsShouldStop() && (deadline == 0 || juce::Time::getMillisecondCounter() < deadline))
            juce::Thread::sleep (endPollMs);
    }

    juce::String statusOfEnded (const InstallerRun& run)
    {
        const auto code = run.getExitCode();
        juce::Logger::writeToLog ("<InstallerRetry> The installer ended with exit code " + juce::String (code));
        return InstallerRun::meansInstalled (code) ? StatusText::installed : StatusText::installError;
    }

    Outcome retryOnce (const Selection& selection, const juce::File& installer, int endWaitMs)
    {
        InstallMonitor watcher (selection.deviceName);

        // Checked again: the file may have been replaced since it last ran.
        auto checked = InstallerSignature::holdIfMakers (installer);

        if (checked.refused)
            return { StatusText::notSigned, nullptr };

        const auto run = checked.program != nullptr ? startInstaller (selection.region, selection.softwareName, *checked.program) : nullptr;
        checked.program.reset();

        if (run == nullptr)
        {
            juce::Logger::writeToLog ("<InstallerRetry> The installer could not be started: " + installer.getFullPathName());
            return { StatusText::installError, nullptr };
        }

        watcher.setInstallerProcess (run->getProcessId());

        if (watcher.findInstallerWindow())
        {
            const auto outcome = watcher.analyseWindow();

            if (outcome == InstallMonitor::resultDone)
                return { StatusText::installed, run };

            if (StatusText::isInstallerFailure (outcome))
                return { outcome, run };
        }

        // No page that tells: the installer's own word, once it has ended.
        waitForEnd (*run, juce::Time::getMillisecondCounter() + (juce::uint32) endWaitMs);

        if (! run->hasEnded())
            return { StatusText::timeOut, run };

        return { statusOfEnded (*run), run };
    }
} // namespace

juce::String launchAndLookOnce (const Selection& selection, const juce::File& installer, int endWaitMs)
{
    return retryOnce (selection, installer, endWaitMs).status;
}

void launchInBackground (const Selection& selection, const juce::File& installer, std::function<void (const juce::String&)> onStatus, int endWaitMs)
{
    const auto post = [onStatus] (const juce::String& status)
    {
        // A refused installer ends as one that did not start, then the
        // status line says why.
        const auto report = [onStatus, status]
        {
            if (status == StatusText::notSigned)
                onStatus (StatusText::installError);

            onStatus (status);
        };

        juce::MessageManager::callAsync (report);
    };

    const auto retry = [selection, installer, post, endWaitMs]
    {
        const auto outcome = retryOnce (selection, installer, endWaitMs);
        post (outcome.status);

        if (outcome.status != StatusText::timeOut)
            return;

        // The window is the user's again; the installer's end still tells.
        waitForEnd (*outcome.run, 0);

        if (outcome.run->hasEnded())
            post (statusOfEnded (*outcome.run));
    };

    // Without a thread of its own the wait would fall on the caller.
    if (! runOnDetachedThread (retry))
    {
        juce::Logger::writeToLog ("<InstallerRetry> No thread for the retry: " + installer.getFullPathName());
        onStatus (StatusText::installError);
    }
}

bool retryLastInstaller (const Selection& selection, std::function<void (const juce::String&)> onStatus, int endWaitMs)
{
    // The path the last download left; a relative or empty one names no file.
    const auto path = lastInstallerPath.get();
    const auto installer = juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File();

    if (! installer.existsAsFile())
    {
        juce::Logger::writeToLog ("<handleDownloadResult> package not found in: " + path);
        onStatus (StatusText::installError);
        return false;
    }

    launchInBackground (selection, installer, std::move (onStatus), endWaitMs);
    return true;
}
} // namespace InstallerRetry
