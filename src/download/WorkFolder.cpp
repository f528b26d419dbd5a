#include "download/WorkFolder.h"

namespace
{
juce::File lockFileOf (const juce::File& folder)
{
    return folder.getSiblingFile (folder.getFileName() + WorkFolder::lockSuffix);
}
} // namespace

WorkFolder::WorkFolder (juce::File folderToUse, std::unique_ptr<platform::LockFile> lockToHold)
    : folder (std::move (folderToUse)), lock (std::move (lockToHold))
{
}

WorkFolder::~WorkFolder()
{
    // Symbolic links (reparse points) are removed, never followed.
    folder.deleteRecursively (false);
    lock->releaseAndRemove();

    // Only an empty folder can be deleted: another copy's files stay.
    folder.getParentDirectory().deleteFile();
}

int WorkFolder::removeStale (const juce::File& root)
{
    int removed = 0;

    // Listed first, removed after: not while the folder is being read.
    const auto entries = root.findChildFiles (juce::File::findFilesAndDirectories, false, juce::String (namePrefix) + "*");

    for (const auto& file : entries)
    {
        // A lock file without its folder is the remains of a copy that ended
        // between the two, or of the start of one that is running: its lock tells.
        const auto folder = file.hasFileExtension (lockSuffix) ? file.withFileExtension ({}) : file;

        if (folder != file && folder.isDirectory())
            continue; // dealt with through its folder

        platform::LockFile lock (lockFileOf (folder));

        // A copy that is running holds its lock; one that ended does not. A
        // copy takes its lock before it makes its folder, so a folder is
        // never met before its lock is held.
        if (! lock.tryTake())
            continue;

        if (folder.isDirectory())
        {
            juce::Logger::writeToLog ("<WorkFolder> Removing the work folder of a copy that has ended: " + folder.getFullPathName());
            folder.deleteRecursively (false);
            ++removed;
        }

        lock.releaseAndRemove();
    }

    return removed;
}

std::unique_ptr<WorkFolder> WorkFolder::claim (const juce::File& root)
{
    if (! root.createDirectory())
        return nullptr;

    auto& random = juce::Random::getSystemRandom();

    for (int attempt = 0; attempt < 10; ++attempt)
    {
        const auto name = juce::String (namePrefix)
                          + juce::String::toHexString (juce::Time::currentTimeMillis())
                          + juce::String::toHexString (random.nextInt()).paddedLeft ('0', 8);
        const auto folder = root.getChildFile (name);

        if (folder.exists() || lockFileOf (folder).exists())
            continue;

        // The lock first: a folder without a held lock counts as stale.
        auto lock = std::make_unique<platform::LockFile> (lockFileOf (folder));

        if (! lock->tryTake())
            continue;

        if (folder.createDirectory())
            return std::unique_ptr<WorkFolder> (new WorkFolder (folder, std::move (lock)));

        lock->releaseAndRemove();
        return nullptr;
    }

    return nullptr;
}
