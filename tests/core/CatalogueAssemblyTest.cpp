#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "core/CatalogueAssembly.h"
#include "support/FakePlatform.h"
#include "support/TemporaryFolder.h"

namespace
{
/** A Windows 10, 64-bit host and a list file with these items. */
struct ListOnHost
{
    explicit ListOnHost (const juce::String& items)
    {
        version.setVersion (10, 0, 19045);
        wow64.set64Bit (true);
        manualModeActive = true; // keeps the databases quiet
        file = folder.write ("list.xml", "<list driverBaseUrl=\"https://d.test\">" + items + "</list>");
    }

    DeviceDatabase database (const juce::String& pid) const { return DeviceDatabase (file, pid); }

    FakeWindowsVersion version;
    FakeWow64 wow64;
    TemporaryFolder folder;
    juce::File file;
};
} // namespace

TEST (CatalogueAssembly, NamesEachDeviceOnceAndKeepsTheLaterTables)
{
    ListOnHost list ("<item pid=\"260\" name=\"QX4\" type=\"qx4\" os=\"win\" file=\"a.zip\"/>"
                     "<item pid=\"261\" name=\"QX4\" type=\"dri\" os=\"win\" file=\"b.zip\"/>"
                     "<item pid=\"262\" name=\"Old\" type=\"dri\" os=\"win7\" file=\"c.zip\"/>"
                     "<item pid=\"263\" name=\"Nova\" type=\"pic\" file=\"n.png\"/>"
                     "<item pid=\"263\" name=\"Nova\" type=\"tessel\" os=\"win10\" file=\"d.zip\"/>");

    const std::vector<DeviceDatabase> databases { list.database ("0x0104"), list.database ("0x0106"), list.database ("0x0107"), list.database ("0x0105") };

    juce::StringArray names { "stale" };
    CatalogueAssembly::ListsByName types, data;
    CatalogueAssembly::TextByName pictures { { "Unplugged", "https://d.test/u.png" } };

    CatalogueAssembly::rebuild (databases, names, types, data, pictures, false);

    EXPECT_EQ (names, juce::StringArray ({ "QX4", "Nova" })) << "no offers for Windows 10: not offered";
    EXPECT_EQ (types["QX4"], juce::StringArray ("dri")) << "the later database of the same name wins";
    EXPECT_EQ (data["QX4"].size(), 1);
    EXPECT_TRUE (data["QX4"][0].endsWith ("/b.zip"));
    EXPECT_TRUE (pictures["Nova"].endsWith ("/n.png")) << pictures["Nova"];
    EXPECT_EQ (pictures.count ("Unplugged"), 1u) << "older pictures stay unless cleared";
    EXPECT_EQ (types.count ("Old"), 0u);

    CatalogueAssembly::rebuild (databases, names, types, data, pictures, true);
    EXPECT_EQ (pictures.count ("Unplugged"), 0u);
    EXPECT_EQ (names.size(), 2);
}

TEST (CatalogueAssembly, CollectsTheListsProductIdsOnce)
{
    auto root = juce::parseXML ("<list>"
                                "<item pid=\"6698\"/><ITEM pid=\"260\"/><item pid=\"6698\" pid_2=\"6699\"/>"
                                "<item pid=\"0x1A2A\"/><item/><item pid=\" 161abc\"/>"
                                "<note pid=\"99\"/>"
                                "</list>");
    ASSERT_NE (root, nullptr);

    EXPECT_EQ (CatalogueAssembly::collectProductIds (*root), juce::StringArray ({ "0x1A2A", "0x0104", "0x0000", "0x00A1" }))
        << "hexadecimal and missing IDs read as 0; the second ID is not collected";
}
