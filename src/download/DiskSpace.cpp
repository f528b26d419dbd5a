#include "download/DiskSpace.h"

namespace DiskSpace
{
juce::int64 neededFor (const std::vector<juce::int64>& fileSizes)
{
    auto needed = reserve;

    for (const auto size : fileSizes)
        needed += (juce::jmax ((juce::int64) 0, size) + allocationUnit - 1) / allocationUnit * allocationUnit;

    return needed;
}

juce::int64 neededForDownload (juce::int64 totalSize, juce::int64 largestRange, juce::int64 kept, bool unpacks)
{
    const auto joining = totalSize + largestRange;
    const auto unpacking = unpacks ? 2 * totalSize : (juce::int64) 0;
    return neededFor ({ juce::jmax (joining, unpacking) - kept });
}

bool fits (juce::int64 needed, juce::int64 freeBytes)
{
    return freeBytes <= 0 || needed <= freeBytes;
}

bool ranOut (juce::int64 stillToWrite, juce::int64 freeBytes)
{
    return stillToWrite > 0 && freeBytes < stillToWrite;
}
} // namespace DiskSpace
