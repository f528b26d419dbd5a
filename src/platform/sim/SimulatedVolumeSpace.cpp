#include "platform/VolumeSpace.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace platform
{
namespace
{
    bool sameDevice (const juce::File& a, dev_t device)
    {
        struct stat info = {};
        return stat (a.getFullPathName().toRawUTF8(), &info) == 0 && info.st_dev == device;
    }
} // namespace

VolumeSpace getVolumeSpace (const juce::File& folderToAsk)
{
    auto folder = folderToAsk;

    while (! folder.isDirectory() && folder.getParentDirectory() != folder)
        folder = folder.getParentDirectory();

    VolumeSpace space;
    struct statvfs volume = {};

    if (statvfs (folder.getFullPathName().toRawUTF8(), &volume) == 0)
        space.bytesFree = (juce::int64) volume.f_bavail * (juce::int64) volume.f_frsize;

    // The mount point: the highest folder on the same device.
    struct stat info = {};
    auto mountPoint = folder;

    if (stat (folder.getFullPathName().toRawUTF8(), &info) == 0)
        while (mountPoint.getParentDirectory() != mountPoint && sameDevice (mountPoint.getParentDirectory(), info.st_dev))
            mountPoint = mountPoint.getParentDirectory();

    space.volumeName = mountPoint.getFullPathName();
    return space;
}
} // namespace platform
