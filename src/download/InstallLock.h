#pragma once

#include <juce_core/juce_core.h>

/** Lets one copy of the program at a time, of all the copies this user
    runs, install: two installers of the maker's at once get in each
    other's way (and the dialog watch of each would see the other's pages).

    A named system lock (juce::InterProcessLock: a named mutex on Windows)
    whose name comes from the folder that all copies of the user share, so
    copies of other users, and other simulated hosts, do not meet. The
    system lets go of it when its holder ends, however it ends. Used on the
    message thread only (a Windows mutex belongs to the thread that took it).
*/
class InstallLock
{
public:
    explicit InstallLock (const juce::File& sharedFolder);

    /** Takes the lock without waiting; true when this copy holds it (also
        when it held it already).
    */
    bool tryTake();

    void release();

    bool isHeld() const { return held; }

    /** The lock's name for a shared folder: the same for every spelling of
        its path that Windows takes as the same.
    */
    static juce::String nameFor (const juce::File& sharedFolder);

private:
    juce::InterProcessLock lock;
    bool held = false;

    JUCE_DECLARE_NON_COPYABLE (InstallLock)
};
