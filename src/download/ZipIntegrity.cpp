#include "download/ZipIntegrity.h"

#include <zlib.h>

namespace
{
constexpr juce::uint32 endOfCentralDirectorySignature = 0x06054b50;
constexpr juce::uint32 centralHeaderSignature = 0x02014b50;
constexpr int centralHeaderSize = 46;
constexpr int endRecordSize = 22;
constexpr juce::int64 endRecordSearchRange = 1048576;

juce::uint16 readShort (const char* p) { return juce::ByteOrder::littleEndianShort (p); }
juce::uint32 readInt (const char* p) { return juce::ByteOrder::littleEndianInt (p); }

struct EndRecord
{
    juce::int64 directoryOffset = -1;
    int numEntries = 0;
};

/** The end-of-central-directory record nearest the end, within the last
    megabyte, as JUCE looks for it (including its allowance for archives
    whose directory offset points just past the first header's signature).
*/
EndRecord findEndRecord (juce::InputStream& in)
{
    const auto total = in.getTotalLength();
    const auto start = juce::jmax ((juce::int64) 0, total - endRecordSearchRange - endRecordSize);

    juce::MemoryBlock tail;

    if (total < endRecordSize || ! in.setPosition (start) || in.readIntoMemoryBlock (tail, (ssize_t) (total - start)) != (size_t) (total - start))
        return {};

    const auto* bytes = static_cast<const char*> (tail.getData());

    for (auto i = (juce::int64) tail.getSize() - endRecordSize; i >= 0; --i)
    {
        if (readInt (bytes + i) != endOfCentralDirectorySignature)
            continue;

        EndRecord record;
        record.numEntries = readShort (bytes + i + 10);
        record.directoryOffset = readInt (bytes + i + 16);

        char signature[4];

        if (record.directoryOffset >= 4
            && in.setPosition (record.directoryOffset) && in.read (signature, 4) == 4 && readInt (signature) != centralHeaderSignature
            && in.setPosition (record.directoryOffset - 4) && in.read (signature, 4) == 4 && readInt (signature) == centralHeaderSignature)
            record.directoryOffset -= 4;

        return record;
    }

    return {};
}
} // namespace

namespace ZipIntegrity
{
std::vector<DeclaredEntry> readCentralDirectory (juce::InputStream& archive)
{
    std::vector<DeclaredEntry> entries;
    const auto end = findEndRecord (archive);
    const auto total = archive.getTotalLength();

    if (end.directoryOffset < 0 || end.directoryOffset >= total || ! archive.setPosition (end.directoryOffset))
        return entries;

    juce::MemoryBlock directory;
    const auto size = (size_t) (total - end.directoryOffset);

    if (archive.readIntoMemoryBlock (directory, (ssize_t) size) != size)
        return entries;

    const auto* bytes = static_cast<const char*> (directory.getData());
    size_t pos = 0;

    for (int i = 0; i < end.numEntries; ++i)
    {
        if (pos + centralHeaderSize > size)
            break;

        const auto* header = bytes + pos;
        const auto nameLength = readShort (header + 28);

        if (pos + centralHeaderSize + nameLength > size)
            break;

        DeclaredEntry entry;
        entry.crc32 = readInt (header + 16);
        entry.uncompressedSize = (juce::int64) readInt (header + 24);
        entry.filename = juce::String::fromUTF8 (header + centralHeaderSize, nameLength);
        entries.push_back (entry);

        pos += (size_t) centralHeaderSize + nameLength + readShort (header + 30) + readShort (header + 32);
    }

    return entries;
}

juce::String checkUnpackedFile (const juce::File& file, const DeclaredEntry& declared)
{
    juce::FileInputStream in (file);

    if (in.failedToOpen())
        return "cannot read it back: " + in.getStatus().getErrorMessage();

    const auto size = in.getTotalLength();

    if (size != declared.uncompressedSize)
        return "wrote " + juce::String (size) + " of " + juce::String (declared.uncompressedSize) + " bytes";

    juce::HeapBlock<char> buffer (65536);
    uLong crc = crc32 (0, nullptr, 0);
    juce::int64 read = 0;

    for (;;)
    {
        const auto count = in.read (buffer, 65536);

        if (count <= 0)
            break;

        crc = crc32 (crc, reinterpret_cast<const Bytef*> (buffer.getData()), (uInt) count);
        read += count;
    }

    if (read != size)
        return "read back " + juce::String (read) + " of " + juce::String (size) + " bytes";

    if ((juce::uint32) crc != declared.crc32)
        return "CRC-32 " + juce::String::toHexString ((juce::int64) (juce::uint32) crc).paddedLeft ('0', 8)
               + " instead of " + juce::String::toHexString ((juce::int64) declared.crc32).paddedLeft ('0', 8);

    return {};
}
} // namespace ZipIntegrity
