#pragma once

#include <juce_core/juce_core.h>

#include <memory>

#include "platform/LockFile.h"

/** This copy's own folder for downloads and unpacking, inside the root that
    every copy of the program shares (VelmoraTmp).

    Each copy works in a folder of its own ("copy-<id>") and holds a lock on
    the file beside it ("copy-<id>.lock") while it runs, so that no copy
    removes or writes into another's files. A folder whose lock can be taken
    belongs to a copy that has ended without tidying up (a crash, a power
    cut) and is removed by the next copy that starts.
*/
class WorkFolder
{
public:
    /** Removes the folders (and lock files) of copies that no longer run;
        leaves everything else in `root` alone. Returns how many went.
    */
    static int removeStale (const juce::File& root);

    /** Makes a new folder of this copy's own in `root` and takes its lock;
        nullptr when that cannot be done.
    */
    static std::unique_ptr<WorkFolder> claim (const juce::File& root);

    /** Removes the folder and its lock, and the root if nothing else is left in it. */
    ~WorkFolder();

    const juce::File& getFolder() const { return folder; }

    static constexpr const char* namePrefix = "copy-";
    static constexpr const char* lockSuffix = ".lock";

private:
    WorkFolder (juce::File folder, std::unique_ptr<platform::LockFile> lock);

    juce::File folder;
    std::unique_ptr<platform::LockFile> lock;

    JUCE_DECLARE_NON_COPYABLE (WorkFolder)
};
