#include "download/InstallerLauncher.h"

#include "base/DetachedThread.h"
#include "base/ProcessState.h"
#include "platform/ProgramStartService.h"
#include "platform/ShellFolderService.h"

#include <atomic>
#include <memory>

namespace
{
std::atomic<int> runningInstallers { 0 };

/** The body of an installer's thread: waits for its end and keeps the exit
    code for whoever follows the run. The program is released before the
    count drops, so nothing of the installer is left once it reads 0.
*/
void waitThenRelease (std::shared_ptr<platform::RunningProgram>& program, InstallerRun& run)
{
    run.exitCode = program->waitForExit();
    run.ended = true;
    program.reset();
    --runningInstallers;
}

/** Waits for the started installer on a self-deleting thread of its own. */
bool waitOnOwnThread (std::shared_ptr<platform::RunningProgram> program, std::shared_ptr<InstallerRun> run)
{
    ++runningInstallers;

    if (runOnDetachedThread ([program, run]() mutable
                             { waitThenRelease (program, *run); }))
        return true;

    --runningInstallers;
    return false;
}

/** Starts the installer as the program runs, or, when its manifest asks for
    administrator rights (as an NSIS installer's does by default), through
    the shell, which asks the user for them. Called off the message thread:
    the shell returns only once the user has answered.
*/
std::unique_ptr<platform::RunningProgram> startProgram (const juce::File& installer, const juce::StringArray& switches)
{
    auto& starter = platform::programStarter();
    juce::uint32 failure = 0;
    auto program = starter.start (installer, switches, failure);

    if (program != nullptr || failure != platform::ProgramStartService::elevationRequired)
        return program;

    juce::Logger::writeToLog ("<launchInstaller> The installer asks for administrator rights, started through the shell: " + installer.getFullPathName());
    program = starter.startAsAdministrator (installer, switches, failure);

    if (program == nullptr)
        juce::Logger::writeToLog ("<launchInstaller> Not started as administrator, error " + juce::String (failure));

    return program;
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
    std::shared_ptr<platform::RunningProgram> program = startProgram (juce::File (installerPath), switches);

    if (program == nullptr)
        return nullptr;

    auto run = std::make_shared<InstallerRun>();
    run->processId = program->getProcessId();

    if (! waitOnOwnThread (std::move (program), run))
        return nullptr;

    return run;
}

std::shared_ptr<InstallerRun> startInstaller (juce::String region, juce::String softwareName, const platform::HeldProgram& installer)
{
    if (! installer.isStillTheCheckedFile())
    {
        juce::Logger::writeToLog ("<launchInstaller> The installer changed after its signature check, not started: " + installer.getFile().getFullPathName());
        return nullptr;
    }

    return startInstaller (std::move (region), std::move (softwareName), installer.getFile().getFullPathName());
}

int getRunningInstallerCount()
{
    return runningInstallers.load();
}
