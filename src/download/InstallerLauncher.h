#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

#include "platform/InstallerSignatureService.h"

/** Starts a downloaded installer silently, on a self-deleting thread of its
    own that waits for the installer to end, and returns at once.

    The switches depend on the package (and on isNotQt and isOldKeyWeave):
    the English Tessel Max installer takes "install --al -c" (after its old
    installer folder below the roaming application data has been removed),
    Vortex Deck and the current KeyWeave take "/silent /allusers", every other
    package "/S /allusers". The installer's path is one argument whatever
    blanks it holds.

    An installer whose manifest asks for administrator rights, which Windows
    refuses to start from this process as it is, is started through the
    shell, which asks the user for them; that start returns only once the
    user has answered, so this is never called on the message thread.

    Returns true when the installer has been started and its thread is
    running; false when the program could not be started (a missing file or
    one that is not a program, or administrator rights refused), so the
    caller can report it.
*/
bool launchInstaller (juce::String region, juce::String softwareName, juce::String installerPath);

/** One installer started by startInstaller: its thread marks the end and
    keeps the exit code, for whoever follows the installation.
*/
class InstallerRun
{
public:
    bool hasEnded() const { return ended.load(); }

    /** The installer's exit code; meaningful once it has ended. */
    juce::uint32 getExitCode() const { return exitCode.load(); }

    /** 0, and 3010 or 1641 ("done, a restart is needed"): the installer
        says it has installed.
    */
    static bool meansInstalled (juce::uint32 code) { return code == 0 || code == 3010 || code == 1641; }

    /** The installer's process id, 0 when not known; set before the run is handed on. */
    juce::uint32 getProcessId() const { return processId; }

    std::atomic<bool> ended { false };
    std::atomic<juce::uint32> exitCode { 0 };
    juce::uint32 processId = 0;
};

/** launchInstaller that also hands over the run to follow; nullptr when the
    installer could not be started.
*/
std::shared_ptr<InstallerRun> startInstaller (juce::String region, juce::String softwareName, juce::String installerPath);

/** startInstaller for an installer held since its signature check
    (InstallerSignature::holdIfMakers): the held file is the one started,
    and the caller keeps holding it until this has returned, that is until
    the installer's process has started. nullptr also when the file at the
    path is no longer the one that was checked.
*/
std::shared_ptr<InstallerRun> startInstaller (juce::String region, juce::String softwareName, const platform::HeldProgram& installer);

/** Installers started by launchInstaller that have not ended yet. */
int getRunningInstallerCount();

namespace InstallerCommand
{
/** The switches launchInstaller passes to the installer of this package. */
juce::StringArray chooseSwitches (const juce::String& region, const juce::String& softwareName);

/** True for the English Tessel Max installer, which wants its old installer
    folder gone before it runs.
*/
bool isTesselMaxInstall (const juce::String& region, const juce::String& softwareName);

/** "Velmora\Tessel Max\installer" below the user's roaming application data. */
juce::File getTesselMaxInstallerFolder();
} // namespace InstallerCommand
