#include "platform/VolumeSpace.h"

#include <windows.h>

namespace platform
{
VolumeSpace getVolumeSpace (const juce::File& folderToAsk)
{
    auto folder = folderToAsk;

    while (! folder.isDirectory() && folder.getParentDirectory() != folder)
        folder = folder.getParentDirectory();

    VolumeSpace space;
    const auto path = folder.getFullPathName();
    ULARGE_INTEGER available = {};

    // The folder itself, not its root: a volume mounted on a folder has
    // its own free space.
    if (GetDiskFreeSpaceExW (path.toWideCharPointer(), &available, nullptr, nullptr))
        space.bytesFree = (juce::int64) available.QuadPart;

    WCHAR volume[MAX_PATH + 1] = {};

    if (GetVolumePathNameW (path.toWideCharPointer(), volume, MAX_PATH))
        space.volumeName = juce::String (volume);
    else
        space.volumeName = path.substring (0, 3);

    return space;
}
} // namespace platform
