#pragma once

#include <juce_core/juce_core.h>

namespace platform
{
/** The volume that holds a folder, asked about the folder itself rather
    than its drive's root (JUCE's getBytesFreeOnVolume asks the root, which
    is another volume for a folder mounted elsewhere).
*/
struct VolumeSpace
{
    /** Bytes free for this user on the folder's volume; -1 when it cannot be asked. */
    juce::int64 bytesFree = -1;

    /** The volume's name as the user knows it: on Windows its drive or
        mount path ("C:\"), elsewhere the mount point.
    */
    juce::String volumeName;
};

/** The volume of `folder`, or of its nearest existing parent. */
VolumeSpace getVolumeSpace (const juce::File& folder);
} // namespace platform
