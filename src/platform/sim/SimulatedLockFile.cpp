#include "platform/LockFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform
{
LockFile::LockFile (juce::File fileToLock) : file (std::move (fileToLock)) {}

LockFile::~LockFile() { release(); }

bool LockFile::tryTake()
{
    if (isHeld())
        return true;

    // Not inherited by the programs this process starts: an installer that
    // outlives the copy must not keep its lock.
    const auto opened = open (file.getFullPathName().toRawUTF8(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);

    if (opened < 0)
        return false;

    if (flock (opened, LOCK_EX | LOCK_NB) != 0)
    {
        close (opened);
        return false;
    }

    descriptor = opened;
    return true;
}

bool LockFile::isHeld() const { return descriptor >= 0; }

void LockFile::release()
{
    if (descriptor >= 0)
        close (descriptor);

    descriptor = -1;
}

void LockFile::releaseAndRemove()
{
    // Removed while still held, so that nobody takes it in between.
    if (isHeld())
        file.deleteFile();

    release();
}
} // namespace platform
