#include "download/InstallLock.h"

InstallLock::InstallLock (const juce::File& sharedFolder)
    : lock (nameFor (sharedFolder))
{
}

juce::String InstallLock::nameFor (const juce::File& sharedFolder)
{
    // Windows compares paths without regard to case.
    const auto path = sharedFolder.getFullPathName().toLowerCase();
    return "StratosetInstall_" + juce::String::toHexString (path.hashCode64());
}

bool InstallLock::tryTake()
{
    if (! held)
        held = lock.enter (0);

    return held;
}

void InstallLock::release()
{
    if (held)
        lock.exit();

    held = false;
}
