#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** What a ZIP archive's central directory declares about its entries, read
    from the archive itself (JUCE's ZipFile keeps the CRC-32 to itself), and
    the check of an unpacked file against it. JUCE's own unpacking neither
    checks the CRC-32 nor the size it has written, nor whether the writes
    reached the disk.
*/
namespace ZipIntegrity
{
struct DeclaredEntry
{
    juce::String filename; // the name's bytes taken as UTF-8, as JUCE takes them
    juce::int64 uncompressedSize = 0;
    juce::uint32 crc32 = 0;
};

/** The entries of the central directory, in the order JUCE's ZipFile lists
    them: the directory is found and walked the way JUCE does it, so that
    entry i here is entry i there. Stops, as JUCE does, at the first entry
    that does not lie wholly inside the archive; empty when there is no
    central directory.
*/
std::vector<DeclaredEntry> readCentralDirectory (juce::InputStream& archive);

/** Why `file` is not what `declared` says it is ("wrote 10 of 20 bytes",
    "CRC-32 1a2b3c4d instead of ..."), or empty when its size and CRC-32 are
    the declared ones. The file is read back from the disk.
*/
juce::String checkUnpackedFile (const juce::File& file, const DeclaredEntry& declared);
} // namespace ZipIntegrity
