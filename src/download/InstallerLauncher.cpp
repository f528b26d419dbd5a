#include "download/InstallerLauncher.h"

#include "core/ProcessState.h"
#include "download/DetachedThread.h"
#include "platform/ProgramStartService.h"
#include "platform/ShellFolderService.h"

#include <atomic>
#include <memory>

namespace
{
std::atomic<int> runningInstallers { 0 };

/** Reads and drops the installer's output until it ends (nobody else reads
    the pipe, and an installer that fills it would stop for good), then waits
    for it and keeps its exit code for whoever follows the run.
*/
void waitForEnd (juce::ChildProcess& process, InstallerRun& run)
{
    char buffer[4096];

    while (process.readProcessOutput (buffer, (int) sizeof (buffer)) > 0)
    {
    }

    process.waitForProcessToFinish (-1);
    run.exitCode = process.getExitCode();
    run.ended = true;
}

/** The body of an installer's thread. The process is released before the
    count drops, so nothing of the installer is left once it reads 0.
*/
void waitThenRelease (std::shared_ptr<juce::ChildProcess>& process, InstallerRun& run)
{
    waitForEnd (*process, run);
    process.reset();
    --runningInstallers;
}

/** Waits for the started installer on a self-deleting thread of its own. */
bool waitOnOwnThread (std::shared_ptr<juce::ChildProcess> process, std::shared_ptr<InstallerRun> run)
{
    ++runningInstallers;

    if (runOnDetachedThread ([process, run]() mutable
                             { waitThenRelease (process, *run); }))
        return true;

    --runningInstallers;
    return false;
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
    return startInstaller (std::move (region), std::move (softwareName), std::move (installerPath)) != nullptr;
}

std::shared_ptr<InstallerRun> startInstaller (juce::String region, juce::String softwareName, juce::String installerPath)
{
    const auto switches = InstallerCommand::chooseSwitches (region, softwareName);

    if (InstallerCommand::isTesselMaxInstall (region, softwareName))
    {
        const auto oldFolder = InstallerCommand::getTesselMaxInstallerFolder();

        if (oldFolder.exists())
            oldFolder.deleteRecursively();
    }

    if (! juce::File::isAbsolutePath (installerPath))
        return nullptr;

    // Started here rather than on the thread, so that an installer that
    // cannot be started is reported to the caller instead of taken as running.
    auto process = std::make_shared<juce::ChildProcess>();

    if (! platform::programStarter().start (*process, juce::File (installerPath), switches, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return nullptr;

    auto run = std::make_shared<InstallerRun>();

    if (! waitOnOwnThread (std::move (process), run))
        return nullptr;

    return run;
}

int getRunningInstallerCount()
{
    return runningInstallers.load();
}
