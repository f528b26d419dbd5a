#pragma once

#include <juce_core/juce_core.h>

#include <cstring>

/** Damage done to a ZIP archive on disk, byte by byte, as a faulty transfer
    or a faulty server would do it.
*/
namespace ZipBytes
{
/** Where `entryName`'s record starts, for the local header ("PK\3\4") or
    the central directory's ("PK\1\2"); -1 when there is none.
*/
inline int findRecord (const juce::MemoryBlock& bytes, const char* signature, int nameOffset, const juce::String& entryName)
{
    const auto* data = static_cast<const char*> (bytes.getData());
    const auto name = entryName.toStdString();

    for (size_t i = 0; i + (size_t) nameOffset + name.size() <= bytes.getSize(); ++i)
        if (std::memcmp (data + i, signature, 4) == 0 && std::memcmp (data + i + nameOffset, name.data(), name.size()) == 0)
            return (int) i;

    return -1;
}

/** Changes one byte in the middle of the entry's stored (compressed) data. */
inline bool changeByteOfEntryData (const juce::File& archive, const juce::String& entryName)
{
    juce::MemoryBlock bytes;

    if (! archive.loadFileAsData (bytes))
        return false;

    const auto header = findRecord (bytes, "PK\x03\x04", 30, entryName);

    if (header < 0)
        return false;

    auto* data = static_cast<juce::uint8*> (bytes.getData());
    const auto compressedSize = (int) juce::ByteOrder::littleEndianInt (data + header + 18);
    const auto dataStart = header + 30 + juce::ByteOrder::littleEndianShort (data + header + 26) + juce::ByteOrder::littleEndianShort (data + header + 28);

    if (compressedSize == 0)
        return false;

    data[dataStart + compressedSize / 2] ^= 0x5a;
    return archive.replaceWithData (bytes.getData(), bytes.getSize());
}

/** Sets the uncompressed size that the central directory declares for the entry. */
inline bool declareSize (const juce::File& archive, const juce::String& entryName, juce::uint32 size)
{
    juce::MemoryBlock bytes;

    if (! archive.loadFileAsData (bytes))
        return false;

    const auto header = findRecord (bytes, "PK\x01\x02", 46, entryName);

    if (header < 0)
        return false;

    const auto littleEndian = juce::ByteOrder::swapIfBigEndian (size);
    bytes.copyFrom (&littleEndian, header + 24, 4);
    return archive.replaceWithData (bytes.getData(), bytes.getSize());
}
} // namespace ZipBytes
