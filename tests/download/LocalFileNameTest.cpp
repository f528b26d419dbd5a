#include <gtest/gtest.h>

#include "download/LocalFileName.h"
#include "support/TemporaryFolder.h"

using LocalFileName::fromAddress;

TEST (LocalFileName, TakesTheLastPieceOfTheAddress)
{
    EXPECT_EQ (fromAddress ("https://dl.example.com/qx4/HubDriver_4.2_x64.zip", "x"), "HubDriver_4.2_x64.zip");
    EXPECT_EQ (fromAddress ("http://h/arc2/VortexDeck%20Setup%203.0.exe", "x"), "VortexDeck%20Setup%203.0.exe");
    EXPECT_EQ (fromAddress ("http://h/pictures/qx4.png?v=2#top", "x"), "qx4.png");
    EXPECT_EQ (fromAddress ("qx4.png", "x"), "qx4.png") << "an address without '/' is the name itself";
}

TEST (LocalFileName, NoNameFromTheServerLeavesItsFolder)
{
    for (auto address : { "http://h/../../evil.exe", "http://h/pics/..\\..\\Windows\\evil.dll", "..\\..\\evil.png", "C:\\Windows\\System32\\evil.dll", "http://h/a/C:evil.exe", "http://h/a/evil.exe:stream", "/etc/passwd", "http://h/a/..", "http://h/a/.", "http://h/a/", "", "http://h/a/ . . ", "http://h/a/e\tv\nil.exe", "http://h/a/<e|v>i*l?.exe" })
    {
        const auto name = fromAddress (address, "download.bin");
        SCOPED_TRACE (address);

        EXPECT_FALSE (name.containsAnyOf ("/\\:*?\"<>|\t\n")) << name;
        EXPECT_NE (name, ".");
        EXPECT_NE (name, "..");
        EXPECT_TRUE (name.isNotEmpty());

        TemporaryFolder folder;
        const auto file = folder.getFolder().getChildFile (name);
        EXPECT_EQ (file.getParentDirectory(), folder.getFolder()) << name;
    }

    EXPECT_EQ (fromAddress ("http://h/a/..", "download.bin"), "download.bin");
    EXPECT_EQ (fromAddress ("C:\\Windows\\System32\\evil.dll", "x"), "evil.dll");
    EXPECT_EQ (fromAddress ("http://h/a/C:evil.exe", "x"), "Cevil.exe");
}

TEST (LocalFileName, AvoidsNamesWindowsTreatsSpecially)
{
    EXPECT_EQ (LocalFileName::makeSafe ("setup.exe. . ", "x"), "setup.exe");
    EXPECT_EQ (LocalFileName::makeSafe ("CON", "x"), "_CON");
    EXPECT_EQ (LocalFileName::makeSafe ("nul.zip", "x"), "_nul.zip");
    EXPECT_EQ (LocalFileName::makeSafe ("console.zip", "x"), "console.zip");
    EXPECT_EQ (LocalFileName::makeSafe (juce::String::repeatedString ("a", 300) + ".zip", "x").length(), 150);
}
