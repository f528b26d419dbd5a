#include "download/InstallerLauncher.h"

#include "core/ProcessState.h"
#include "platform/ProgramStartService.h"
#include "platform/ShellFolderService.h"

#include <atomic>
#include <memory>

namespace
{
std::atomic<int> runningInstallers { 0 };

/** Waits for the installer on a thread of its own. Its output is read and
    dropped while it runs: nobody else reads the pipe, and an installer that
    fills it would otherwise stop for good.
*/
bool waitOnOwnThread (std::shared_ptr<juce::ChildProcess> process)
{
    ++runningInstallers;

    const auto launched = juce::Thread::launch ([process]
                                                {
                                                    char buffer[4096];

                                                    while (process->readProcessOutput (buffer, (int) sizeof (buffer)) > 0)
                                                    {
                                                    }

                                                    process->waitForProcessToFinish (-1);
                                                    [[maybe_unused]] const auto exitCode = process->getExitCode();
                                                    --runningInstallers; });

    if (! launched)
        --runningInstallers;

    return launched;
}
} // namespace

namespace InstallerCommand
{
bool isTesselMaxInstall (const juce::String& region, const juce::String& softwareName)
{
    return region == "en" && softwareName == "Tessel Max" && ! isNotQt;
}

juce::StringArray chooseSwitches (const juce::String& region, const juce::String& softwareName)
{
    if (isTesselMaxInstall (region, softwareName))
        return { "install", "--al", "-c" };

    if (softwareName == "Vortex Deck" || (softwareName == "KeyWeave" && ! isOldKeyWeave))
        return { "/silent", "/allusers" };

    return { "/S", "/allusers" };
}

juce::File getTesselMaxInstallerFolder()
{
    return platform::shellFolders().getUserApplicationDataFolder().getChildFile ("Velmora").getChildFile ("Tessel Max").getChildFile ("installer");
}
} // namespace InstallerCommand

bool launchInstaller (juce::String region, juce::String softwareName, juce::String installerPath)
{
    const auto switches = InstallerCommand::chooseSwitches (region, softwareName);

    if (InstallerCommand::isTesselMaxInstall (region, softwareName))
    {
        const auto oldFolder = InstallerCommand::getTesselMaxInstallerFolder();

        if (oldFolder.exists())
            oldFolder.deleteRecursively();
    }

    if (! juce::File::isAbsolutePath (installerPath))
        return false;

    // Started here rather than on the thread, so that an installer that
    // cannot be started is reported to the caller instead of taken as running.
    auto process = std::make_shared<juce::ChildProcess>();

    if (! platform::programStarter().start (*process, juce::File (installerPath), switches, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return false;

    return waitOnOwnThread (std::move (process));
}

int getRunningInstallerCount()
{
    return runningInstallers.load();
}
