#pragma once

#include <juce_core/juce_core.h>

namespace platform
{
/** A file held open with an exclusive lock for as long as this object
    holds it. Another process (or another LockFile of this one) cannot take
    it meanwhile; the system lets go of it when the holder ends, however it
    ends, so a lock that can be taken tells that its holder is gone.

    Windows: the file is opened without sharing. Elsewhere: flock() on the
    open file, which is per open file, not per process.
*/
class LockFile
{
public:
    explicit LockFile (juce::File file);

    /** Lets go of the lock (the file stays). */
    ~LockFile();

    /** Creates the file if needed and takes its lock without waiting; false
        when another holder has it or the file cannot be made.
    */
    bool tryTake();

    bool isHeld() const;

    /** Removes the file and then lets go of the lock. */
    void releaseAndRemove();

    const juce::File& getFile() const { return file; }

private:
    void release();

    juce::File file;
    void* handle = nullptr; // Windows
    int descriptor = -1; // elsewhere

    JUCE_DECLARE_NON_COPYABLE (LockFile)
};
} // namespace platform
