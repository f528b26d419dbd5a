#include <gtest/gtest.h>

#include "download/ZipIntegrity.h"

#include <zlib.h>

namespace
{
using Entries = std::vector<std::pair<juce::String, juce::String>>; // stored path, content

juce::MemoryBlock makeArchive (const Entries& entries)
{
    juce::ZipFile::Builder builder;
    int level = 0;

    // Stored and deflated entries alternate.
    for (const auto& [path, content] : entries)
        builder.addEntry (new juce::MemoryInputStream (content.toRawUTF8(), content.getNumBytesAsUTF8(), true), (level++ % 2) * 9, path, juce::Time::getCurrentTime());

    juce::MemoryOutputStream out;
    builder.writeToStream (out, nullptr);
    return out.getMemoryBlock();
}

juce::uint32 crcOf (const juce::String& text)
{
    return (juce::uint32) crc32 (0, reinterpret_cast<const Bytef*> (text.toRawUTF8()), (uInt) text.getNumBytesAsUTF8());
}
} // namespace

TEST (ZipIntegrity, CentralDirectoryListsTheEntriesAsJuceDoesWithTheirCrc)
{
    const Entries entries = { { "Driver/Setup.exe", juce::String::repeatedString ("MZ", 5000) },
                              { "Driver/", "" },
                              { "Driver/readme.txt", "Read me" },
                              { "Driver/empty.dat", "" } };
    const auto plain = makeArchive (entries);

    // An archive comment after the end record; an end record that claims
    // more entries than the directory holds; no end record at all.
    auto commented = plain;
    const juce::String comment ("Velmora package PK");
    commented.append (comment.toRawUTF8(), (size_t) comment.length());
    static_cast<char*> (commented.getData())[plain.getSize() - 2] = (char) comment.length();

    auto overclaiming = plain;
    static_cast<char*> (overclaiming.getData())[plain.getSize() - 12] = 7;

    const char notAnArchive[] = "PK\x05\x06 and then nothing else";

    const struct
    {
        const char* what;
        juce::MemoryBlock bytes;
        int entries;
    } archives[] = {
        { "plain", plain, 4 },
        { "with a comment", commented, 4 },
        { "claiming seven entries", overclaiming, 4 },
        { "cut before its end record", juce::MemoryBlock (plain.getData(), plain.getSize() - 40), 0 },
        { "not an archive", juce::MemoryBlock (notAnArchive, sizeof (notAnArchive) - 1), 0 },
    };

    for (const auto& [what, bytes, count] : archives)
    {
        juce::MemoryInputStream forJuce (bytes, false), forUs (bytes, false);
        juce::ZipFile zip (forJuce);
        const auto declared = ZipIntegrity::readCentralDirectory (forUs);

        ASSERT_EQ (zip.getNumEntries(), count) << what;
        ASSERT_EQ ((int) declared.size(), count) << what;

        for (int i = 0; i < zip.getNumEntries(); ++i)
        {
            EXPECT_EQ (declared[(size_t) i].filename, zip.getEntry (i)->filename) << what << " " << i;
            EXPECT_EQ (declared[(size_t) i].uncompressedSize, zip.getEntry (i)->uncompressedSize) << what << " " << i;
            EXPECT_EQ (declared[(size_t) i].crc32, crcOf (entries[(size_t) i].second)) << what << " " << i;
        }
    }

    juce::MemoryInputStream empty (nullptr, 0, false);
    EXPECT_TRUE (ZipIntegrity::readCentralDirectory (empty).empty());
}
