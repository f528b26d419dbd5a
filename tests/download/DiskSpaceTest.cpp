#include <gtest/gtest.h>

#include "download/DiskSpace.h"

TEST (DiskSpace, ArchiveFitsWithItsFilesRoundedUpAndTheReserveLeftFree)
{
    using DiskSpace::allocationUnit;
    using DiskSpace::reserve;

    struct Case
    {
        const char* what;
        std::vector<juce::int64> sizes;
        juce::int64 freeBytes;
        bool fits;
    };

    const Case cases[] = {
        { "nothing to write", {}, reserve, true },
        { "exactly the room there is", { 1, allocationUnit, allocationUnit + 1 }, reserve + 4 * allocationUnit, true },
        { "one unit short", { 1, allocationUnit, allocationUnit + 1 }, reserve + 4 * allocationUnit - 1, false },
        { "many small files take a unit each", std::vector<juce::int64> (1000, 1), reserve + 999 * allocationUnit, false },
        { "no room for the reserve", { 10 * allocationUnit }, 10 * allocationUnit, false },
        // 65535 entries claiming 4 GiB each: 256 TiB, no overflow, no fit.
        { "a bomb's declared sizes", std::vector<juce::int64> (65535, 0xffffffffLL), (juce::int64) 1 << 40, false },
        // JUCE says 0 when the volume could not be asked: the writes decide.
        { "a volume that could not be asked", { 1 << 30 }, 0, true },
    };

    for (const auto& c : cases)
        EXPECT_EQ (DiskSpace::fits (DiskSpace::neededFor (c.sizes), c.freeBytes), c.fits) << c.what;

    // After a failed write: a full disk only when the rest would not have fit.
    EXPECT_TRUE (DiskSpace::ranOut (4096, 0));
    EXPECT_TRUE (DiskSpace::ranOut (4096, 4095));
    EXPECT_FALSE (DiskSpace::ranOut (4096, 4096)) << "room enough: the file or the data was at fault";
    EXPECT_FALSE (DiskSpace::ranOut (0, 0)) << "all was written (a wrong CRC-32): not the disk";
}

TEST (DiskSpace, ADownloadNeedsItsPeakLessWhatItKeepsAlready)
{
    using DiskSpace::reserve;
    constexpr juce::int64 mib = 1024 * 1024;

    struct Case
    {
        const char* what;
        juce::int64 total, largestRange, kept;
        bool unpacks;
        juce::int64 needed;
    };

    const Case cases[] = {
        // The archive and its unpacked copy side by side.
        { "a ZIP from nothing", 64 * mib, 8 * mib, 0, true, 128 * mib + reserve },
        { "a ZIP half kept", 64 * mib, 8 * mib, 32 * mib, true, 96 * mib + reserve },
        // The ranges and the joined file: one range more than the file.
        { "a bare installer from nothing", 64 * mib, 8 * mib, 0, false, 72 * mib + reserve },
        { "a bare installer all kept", 64 * mib, 8 * mib, 64 * mib, false, 8 * mib + reserve },
        { "rounded to whole units", 1, 1, 0, true, DiskSpace::allocationUnit + reserve },
    };

    for (const auto& c : cases)
        EXPECT_EQ (DiskSpace::neededForDownload (c.total, c.largestRange, c.kept, c.unpacks), c.needed) << c.what;
}
