#pragma once

#include <juce_core/juce_core.h>

/** Starts a downloaded installer silently, on a self-deleting thread of its
    own that waits for the installer to end, and returns at once.

    The switches depend on the package (and on isNotQt and isOldKeyWeave):
    the English Tessel Max installer takes "install --al -c" (after its old
    installer folder below the roaming application data has been removed),
    Vortex Deck and the current KeyWeave take "/silent /allusers", every other
    package "/S /allusers". The installer's path is one argument whatever
    blanks it holds.

    Returns true when the installer has been started and its thread is
    running; false when the program could not be started (a missing file or
    one that is not a program), so the caller can report it.
*/
bool launchInstaller (juce::String region, juce::String softwareName, juce::String installerPath);

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
