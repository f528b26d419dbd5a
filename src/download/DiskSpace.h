#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** Decisions about room on a volume, over numbers the caller has asked
    the volume for (File::getBytesFreeOnVolume), so that they are tested
    without a disk.
*/
namespace DiskSpace
{
/** Files take whole allocation units: 4 KiB on NTFS and most Linux volumes. */
constexpr juce::int64 allocationUnit = 4096;

/** Kept free beyond the files themselves: their folders and the volume's
    own records, and a little room for whatever else writes meanwhile.
*/
constexpr juce::int64 reserve = 1024 * 1024;

/** The bytes that files of these sizes take on a volume: each rounded up to
    whole allocation units, plus the reserve.
*/
juce::int64 neededFor (const std::vector<juce::int64>& fileSizes);

/** The room a package download still needs on its volume before its first
    range is asked for, beyond the `kept` bytes its ranges hold already:
    the bytes left to download, then the joined file, which takes the
    ranges' place one range at a time (so it needs one range more than they
    do: `largestRange`), and for a ZIP archive room to unpack it beside the
    archive, estimated at the archive's own size (the maker's installers are
    compressed already; the unpacking checks the archive's real sizes again
    before it writes). The peak of the three, less what is kept, rounded
    as neededFor rounds.
*/
juce::int64 neededForDownload (juce::int64 totalSize, juce::int64 largestRange, juce::int64 kept, bool unpacks);

/** Whether `needed` bytes fit into the `freeBytes` a volume reports. JUCE
    reports 0 when the volume could not be asked at all: that is no reason to
    refuse, since every write is checked anyway.
*/
bool fits (juce::int64 needed, juce::int64 freeBytes);

/** After a write has failed: whether the volume had no room left for the
    `stillToWrite` bytes, that is, the disk is full rather than the file or
    the data at fault.
*/
bool ranOut (juce::int64 stillToWrite, juce::int64 freeBytes);
} // namespace DiskSpace
