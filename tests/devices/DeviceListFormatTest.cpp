#include <gtest/gtest.h>

#include "devices/DeviceListFormat.h"
#include "support/TemporaryFolder.h"

using namespace DeviceListFormat;

TEST (DeviceListFormat, ReadsNumbersAsAtoiDoes)
{
    EXPECT_EQ (readLeadingInteger ("260"), 260);
    EXPECT_EQ (readLeadingInteger ("  \t\n260"), 260);
    EXPECT_EQ (readLeadingInteger ("+260"), 260);
    EXPECT_EQ (readLeadingInteger ("-12"), -12);
    EXPECT_EQ (readLeadingInteger ("12ab"), 12);
    EXPECT_EQ (readLeadingInteger ("0x1234"), 0);
    EXPECT_EQ (readLeadingInteger (""), 0);
    EXPECT_EQ (readLeadingInteger ("pid"), 0);
    EXPECT_EQ (readLeadingInteger ("- 5"), 0);
    EXPECT_EQ (readLeadingInteger ("2147483647"), 2147483647);
    EXPECT_EQ (readLeadingInteger ("99999999999999999999"), 2147483647);
    EXPECT_EQ (readLeadingInteger ("-99999999999999999999"), -2147483647 - 1);
}

TEST (DeviceListFormat, WritesProductIdsInTheDetectedForm)
{
    EXPECT_EQ (toProductIdText (6698), "0x1A2A");
    EXPECT_EQ (toProductIdText (260), "0x0104");
    EXPECT_EQ (toProductIdText (161), "0x00A1");
    EXPECT_EQ (toProductIdText (4660), "0x1234");
    EXPECT_EQ (toProductIdText (0), "0x0000");
    EXPECT_EQ (toProductIdText (0x12345), "0x12345") << "padded to at least four digits, never cut";
    EXPECT_EQ (toProductIdText (-1), "0xFFFFFFFF");
}

TEST (DeviceListFormat, ReadsTagsIgnoringCaseAndAttributesExactly)
{
    auto root = juce::parseXML ("<LIST><Item PID=\"260\" pid_2=\"6699\" name=\"QX4\"/></LIST>");
    ASSERT_NE (root, nullptr);

    EXPECT_TRUE (hasTag (*root, listTag));
    EXPECT_FALSE (hasTag (*root, itemTag));

    auto* item = root->getFirstChildElement();
    ASSERT_NE (item, nullptr);
    EXPECT_TRUE (hasTag (*item, itemTag));

    EXPECT_EQ (readAttribute (*item, "pid"), "") << "PID is another attribute";
    EXPECT_EQ (readAttribute (*item, "Name"), "");
    EXPECT_EQ (readAttribute (*item, "name"), "QX4");
    EXPECT_EQ (readProductId (*item, "pid"), "0x0000");
    EXPECT_EQ (readProductId (*item, "pid_2"), "0x1A2B");
}

TEST (DeviceListFormat, ExpandsOsShortFormsOnly)
{
    EXPECT_EQ (expandOsNames ("win"), "win7/win10/win11");
    EXPECT_EQ (expandOsNames ("win10"), "win10/win11");
    EXPECT_EQ (expandOsNames ("win7/win10"), "win7/win10");
    EXPECT_EQ (expandOsNames ("win11"), "win11");
    EXPECT_EQ (expandOsNames ("WIN"), "WIN");
    EXPECT_EQ (expandOsNames (""), "");
}

TEST (DeviceListFormat, EmptyAreaMeansBothRegions)
{
    EXPECT_EQ (effectiveArea (""), "cn/en");
    EXPECT_EQ (effectiveArea ("en"), "en");
    EXPECT_EQ (effectiveArea (" "), " ");
}

TEST (DeviceListFormat, ParsesOnlyListDocuments)
{
    TemporaryFolder folder;

    EXPECT_NE (parseListFile (folder.write ("a.xml", "<List driverBaseUrl=\"x\"/>")), nullptr);
    EXPECT_EQ (parseListFile (folder.write ("b.xml", "<devices/>")), nullptr);
    EXPECT_EQ (parseListFile (folder.write ("c.xml", "<list><item></list>")), nullptr);
    EXPECT_EQ (parseListFile (folder.write ("d.xml", "")), nullptr);
    EXPECT_EQ (parseListFile (folder / "missing.xml"), nullptr);

    // Lists a server might send: JUCE's parser never returned from the
    // first (a processing instruction followed by text inside an element);
    // the declaration before the root is still fine.
    EXPECT_EQ (parseListFile (folder.write ("e.xml", "<list><item pid=\"260\"/>\n<?pi?>x</list>")), nullptr);
    EXPECT_NE (parseListFile (folder.write ("f.xml", "<?xml version=\"1.0\"?>\n<!-- list -->\n<list><item pid=\"260\"/></list>")), nullptr);

    // Not UTF-8 (Windows-1252, as JUCE falls back to): read, not refused.
    const char latin[] = "<list><item pid=\"260\" name=\"Caf\xe9\"/></list>";
    folder.getFolder().getChildFile ("g.xml").replaceWithData (latin, sizeof (latin) - 1);
    const auto root = parseListFile (folder / "g.xml");
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getChildElement (0)->getStringAttribute ("name"), juce::String (juce::CharPointer_UTF8 ("Caf\xc3\xa9")));
}

TEST (DeviceListFormat, ReadsTheSampleList)
{
    const juce::File sample (juce::String (STRATOSET_TEST_DATA_DIR) + "/device-list.xml");

    auto root = parseListFile (sample);
    ASSERT_NE (root, nullptr);

    juce::StringArray productIds;

    for (auto* child : root->getChildIterator())
        if (hasTag (*child, itemTag))
            productIds.addIfNotAlreadyThere (readProductId (*child, "pid"));

    EXPECT_EQ (productIds, juce::StringArray ({ "0x0104", "0x1A2A", "0x00A1" }));
    EXPECT_EQ (readAttribute (*root, "driverBaseUrlCN"), "");
    EXPECT_EQ (readAttribute (*root, "pluginWebUrl"), "https://www.velmora.com/user-center");
}
