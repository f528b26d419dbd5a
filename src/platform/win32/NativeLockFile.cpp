#include "platform/LockFile.h"

#include <windows.h>

namespace platform
{
LockFile::LockFile (juce::File fileToLock) : file (std::move (fileToLock)) {}

LockFile::~LockFile() { release(); }

bool LockFile::tryTake()
{
    if (isHeld())
        return true;

    // No sharing at all: another opener gets a sharing violation for as
    // long as this handle is open; the handle is not inherited by the
    // programs this process starts.
    const auto opened = CreateFileW (file.getFullPathName().toWideCharPointer(),
                                     GENERIC_READ | GENERIC_WRITE,
                                     0,
                                     nullptr,
                                     OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL,
                                     nullptr);

    if (opened == INVALID_HANDLE_VALUE)
        return false;

    handle = opened;
    return true;
}

bool LockFile::isHeld() const { return handle != nullptr; }

void LockFile::release()
{
    if (handle != nullptr)
        CloseHandle ((HANDLE) handle);

    handle = nullptr;
}

void LockFile::releaseAndRemove()
{
    // An open file without delete sharing cannot be removed: closed first.
    const auto wasHeld = isHeld();
    release();

    if (wasHeld)
        file.deleteFile();
}
} // namespace platform
