#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "devices/DeploymentSettings.h"
#include "devices/DeviceDatabase.h"
#include "download/LocalFileName.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "support/TemporaryFolder.h"

namespace
{
const juce::String downloadServer = "https://download.example.test";

/** Another region for the run while it lives. */
struct ScopedRegion
{
    explicit ScopedRegion (const juce::String& region) : previous (getSharedSettings().region) { getSharedSettings().region = region; }
    ~ScopedRegion() { getSharedSettings().region = previous; }

    juce::String previous;
};

/** Reads small lists on a host that each test describes: Windows 10 22H2,
    64-bit, region "cn" unless the test says otherwise.
*/
class DeviceDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        version.setVersion (10, 0, 19045);
        wow64.set64Bit (true);

        // The process-wide flags start as in a fresh run, whatever ran before.
        manualModeActive = false;
        osInfoLogged = false;
        osVersionTooOld = false;
    }

    juce::File writeList (const juce::String& children, const juce::String& rootAttributes = {})
    {
        return folder.write ("list" + juce::String (++lists) + ".xml",
                             "<?xml version=\"1.0\"?>\n<list " + rootAttributes + ">\n" + children + "\n</list>\n");
    }

    DeviceDatabase read (const juce::String& children, const juce::String& pid = "0x0104", const juce::String& rootAttributes = {})
    {
        return DeviceDatabase (writeList (children, rootAttributes), pid);
    }

    /** The offers' codes for `children` read for device 0x0104. */
    juce::StringArray codes (const juce::String& children)
    {
        return read (children).getDriverTypeList();
    }

    FakeWindowsVersion version;
    FakeWow64 wow64;
    TemporaryFolder folder;
    ScopedDeploymentSettings servers { DeploymentSettings { downloadServer, "https://cloud.example.test", "http://mirror.example.test" } };
    LogCapture log;
    int lists = 0;
};

juce::String item (const juce::String& attributes)
{
    return "<item pid=\"260\" name=\"QX4\" " + attributes + "/>\n";
}

struct ScopedManualMode
{
    ScopedManualMode() { manualModeActive = true; }
    ~ScopedManualMode() { manualModeActive = false; }
};
} // namespace

TEST_F (DeviceDatabaseTest, BuildsOfferTextsFromTheItems)
{
    const auto db = read (item ("area=\"cn/en\" type=\"tesselmax\" os=\"win10\" file=\"tm/TesselMax 2.1.zip\"")
                          + item ("area=\"\" type=\"qx4+dri\" os=\"win\" osbit=\"32\" file=\"qx4/x86.zip\"")
                          + item ("area=\"cn\" type=\"plugin\" os=\"win7/win10\" osbit=\"64\" file=\"p.exe\""));

    EXPECT_EQ (db.getDriverTypeList(), juce::StringArray ("tesselmax", "qx4+dri", "plugin"));
    EXPECT_EQ (db.getDriverData(),
               juce::StringArray ("<QX4,tesselmaxwin10/win11cn/en64bit>" + downloadServer + "/tm/TesselMax 2.1.zip",
                                  "<QX4,qx4+driwin7/win10/win11cn/en32bit>" + downloadServer + "/qx4/x86.zip",
                                  "<QX4,pluginwin7/win10cn64bit>" + downloadServer + "/p.exe"));
    EXPECT_EQ (db.getDeviceName(), "QX4");
    EXPECT_EQ (db.getOs(), "win10");
    EXPECT_EQ (db.getBit(), "64");
    EXPECT_EQ (db.getRegion(), "cn");
}

TEST_F (DeviceDatabaseTest, MatchesDecimalProductIdsAndTheSecondId)
{
    const auto list = writeList ("<item pid=\"4660\" name=\"A\" type=\"a\" os=\"win\"/>"
                                 "<item pid=\" +6698x\" pid_2=\"6699\" name=\"B\" type=\"b\" os=\"win\"/>"
                                 "<item pid=\"0x1234\" pid_2=\"0\" name=\"C\" type=\"c\" os=\"win\"/>"
                                 "<ITEM pid=\"161\" name=\"D\" type=\"d\" os=\"win\"/>"
                                 "<note pid=\"161\" name=\"E\" type=\"e\" os=\"win\"/>");

    EXPECT_EQ (DeviceDatabase (list, "0x1234").getDriverTypeList(), juce::StringArray ("a"));
    EXPECT_EQ (DeviceDatabase (list, "0x1A2A").getDriverTypeList(), juce::StringArray ("b"));
    EXPECT_EQ (DeviceDatabase (list, "0x1A2B").getDriverTypeList(), juce::StringArray ("b"));
    EXPECT_EQ (DeviceDatabase (list, "0x0000").getDriverTypeList(), juce::StringArray ("c")) << "0x1234 is no decimal number";
    EXPECT_EQ (DeviceDatabase (list, "0x00A1").getDriverTypeList(), juce::StringArray ("d")) << "tags ignore letter case; other tags are skipped";
    EXPECT_TRUE (DeviceDatabase (list, "0x1a2a").getDriverData().isEmpty()) << "product IDs compare exactly";
}

TEST_F (DeviceDatabaseTest, CollectsEveryNameOfTheDeviceOnce)
{
    const auto db = read ("<item pid=\"260\" name=\"QX4 Pro\" type=\"pic\" file=\"a.png\"/>"
                          "<item pid=\"260\" name=\"QX4\" type=\"a\" os=\"win\" arch=\"arm\"/>"
                          "<item pid=\"260\" name=\"Lumen\" type=\"b\" os=\"mac\"/>"
                          "<item pid=\"260\" name=\"QX4 Pro\" type=\"c\" os=\"win\"/>"
                          "<item pid=\"261\" name=\"Other\" type=\"c\" os=\"win\"/>");

    EXPECT_EQ (db.getDeviceName(), "QX4 Pro / Lumen") << "names of excluded items count; a name inside another adds nothing";
    EXPECT_EQ (read ("<item pid=\"260\" name=\"QX4\" type=\"a\" os=\"win\"/><item pid=\"260\" name=\"QX4 Pro\" type=\"a\" os=\"win\"/>").getDeviceName(),
               "QX4 / QX4 Pro");
}

TEST_F (DeviceDatabaseTest, ExcludesArmPackagesAndPictures)
{
    const auto db = read (item ("type=\"pic\" arch=\"arm\" file=\"arm.png\"") + item ("type=\"dri\" os=\"win\" arch=\"arm\"")
                          + item ("type=\"qx4\" os=\"win\" arch=\"x64\"") + item ("type=\"plugin\" os=\"win\" arch=\"ARM\""));

    EXPECT_EQ (db.getDriverTypeList(), juce::StringArray ("qx4", "plugin"));
    EXPECT_EQ (db.getPicture(), "");
}

TEST_F (DeviceDatabaseTest, PicturesIgnoreThePackageFilters)
{
    // No os, a foreign area, an unusable bitness, an old-Windows mark: a picture still counts.
    const auto db = read (item ("type=\"pic\" area=\"jp\" osbit=\"16\" maxbuild=\"1909\" file=\"pictures/qx4.png\"")
                          + item ("type=\"pic\" file=\"pictures/qx4_back.png\""));

    EXPECT_TRUE (db.getDriverData().isEmpty());
    EXPECT_EQ (db.getPicture(), downloadServer + "/pictures/qx4.png<QX4>" + downloadServer + "/pictures/qx4_back.png")
        << "with one name only the first picture loses its name";

    const auto named = read ("<item pid=\"260\" name=\"Nova\" type=\"pic\" file=\"nova.png\"/>"
                             "<item pid=\"260\" name=\"Nova Mini\" type=\"pic\" file=\"mini.png\"/>");
    EXPECT_EQ (named.getDeviceName(), "Nova / Nova Mini");
    EXPECT_EQ (named.getPicture(), "<Nova>" + downloadServer + "/nova.png<Nova Mini>" + downloadServer + "/mini.png");
}

TEST_F (DeviceDatabaseTest, OffersOnlyItemsOfTheRunsRegion)
{
    const juce::String items = item ("type=\"both\" os=\"win\" area=\"cn/en\"") + item ("type=\"cn\" os=\"win\" area=\"cn\"")
                               + item ("type=\"en\" os=\"win\" area=\"en\"") + item ("type=\"empty\" os=\"win\" area=\"\"")
                               + item ("type=\"upper\" os=\"win\" area=\"CN\"");

    EXPECT_EQ (codes (items), juce::StringArray ("both", "cn", "empty"));

    const ScopedRegion en ("en");
    EXPECT_EQ (codes (items), juce::StringArray ("both", "en", "empty"));
}

TEST_F (DeviceDatabaseTest, OffersOnlyItemsForTheHostsWindows)
{
    const juce::String items = item ("type=\"all\" os=\"win\"") + item ("type=\"ten\" os=\"win10\"") + item ("type=\"seven\" os=\"win7\"")
                               + item ("type=\"eleven\" os=\"win11\"") + item ("type=\"none\" os=\"\"") + item ("type=\"upper\" os=\"WIN\"");

    EXPECT_EQ (codes (items), juce::StringArray ("all", "ten"));

    version.setVersion (10, 0, 22631);
    EXPECT_EQ (codes (items), juce::StringArray ("all", "ten", "eleven"));

    version.setVersion (6, 1, 7601);
    EXPECT_EQ (codes (items), juce::StringArray ("all", "seven"));

    version.rtlAnswer.reset();
    version.getVersionExAnswer.reset();
    const auto unknown = read (items);
    EXPECT_EQ (unknown.getOs(), "unknown");
    EXPECT_TRUE (unknown.getDriverData().isEmpty());
}

TEST_F (DeviceDatabaseTest, GatesPackagesOnOldWindows10)
{
    const auto items = [] (const juce::String& pid)
    {
        return "<oldWin10Whitelist><pid>" + pid + "</pid></oldWin10Whitelist>"
               + item ("type=\"all\" os=\"win\"") + item ("type=\"ten\" os=\"win10\"")
               + item ("type=\"legacy\" os=\"win10\" maxbuild=\"1909\"") + item ("type=\"allLegacy\" os=\"win\" maxbuild=\"1909\"")
               + item ("type=\"otherMark\" os=\"win\" maxbuild=\"2004\"") + item ("type=\"sevenLegacy\" os=\"win7\" maxbuild=\"1909\"");
    };

    version.setVersion (10, 0, 18363);
    EXPECT_EQ (codes (items ("0x0104")), juce::StringArray ("all", "legacy", "allLegacy", "otherMark"));
    EXPECT_EQ (codes (items ("0x9999")), juce::StringArray ("all", "allLegacy", "otherMark"));

    version.setVersion (10, 0, 18364);
    EXPECT_EQ (codes (items ("0x0104")), juce::StringArray ("all", "ten", "otherMark"));

    version.setVersion (10, 0, 22000);
    EXPECT_EQ (codes (items ("0x0104")), juce::StringArray ("all", "ten", "otherMark"));

    version.setVersion (6, 1, 7601); // older than 10, but the mark only counts on Windows 10 and 11
    EXPECT_EQ (codes (items ("0x9999")), juce::StringArray ("all", "allLegacy", "otherMark", "sevenLegacy"));
}

TEST_F (DeviceDatabaseTest, ReadsTheWhitelistExactly)
{
    version.setVersion (10, 0, 18363);
    const auto legacy = item ("type=\"legacy\" os=\"win10\" maxbuild=\"1909\"");
    const auto db = read ("<oldwin10whitelist><pid>\n 0x0104 \t</pid><pid></pid><pid>  </pid><id>0x0105</id><PID>0x0106</PID><pid>0x0104</pid></oldwin10whitelist>"
                          "<oldWin10Whitelist><pid>0x0107</pid></oldWin10Whitelist>"
                          + legacy);
    EXPECT_EQ (db.getOldWin10Whitelist(), juce::StringArray ("0x0104", "0x0106", "0x0104")) << "trimmed, empty ones dropped, only the first list";
    EXPECT_TRUE (log.contains ("<DeviceDatabase::DeviceDatabase> Old Win10 whitelist size: 3"));
    EXPECT_EQ (db.getDriverTypeList(), juce::StringArray ("legacy"));

    const auto lowerCase = read ("<oldWin10Whitelist><pid>0x12ab</pid></oldWin10Whitelist>" + legacy.replace ("260", "4779"), "0x12AB");
    EXPECT_TRUE (lowerCase.getDriverData().isEmpty()) << "0x12ab is not 0x12AB";

    log.clear();
    read (legacy);
    EXPECT_TRUE (log.contains ("<DeviceDatabase::DeviceDatabase> Old Win10 whitelist size: 0"));
}

TEST_F (DeviceDatabaseTest, AdmitsPackagesOfTheHostsBitness)
{
    const juce::String items = item ("type=\"any\" os=\"win\"") + item ("type=\"x64\" os=\"win\" osbit=\"64\"")
                               + item ("type=\"x86\" os=\"win\" osbit=\"32\"") + item ("type=\"odd\" os=\"win\" osbit=\"86\"")
                               + item ("type=\"odd2\" os=\"win\" osbit=\"64bit\"");

    EXPECT_EQ (codes (items), juce::StringArray ("any", "x64", "x86"));

    wow64.set64Bit (false);
    const auto db = read (items);
    EXPECT_EQ (db.getBit(), "32");
    EXPECT_EQ (db.getDriverTypeList(), juce::StringArray ("any", "x86"));
    EXPECT_TRUE (db.getDriverData()[0].contains ("win11cn/en64bit>")) << "an empty osbit is written 64bit";

    wow64.answer = {}; // no IsWow64Process at all: a 32-bit Windows
    EXPECT_EQ (codes (items), juce::StringArray ("any", "x86"));
}

TEST_F (DeviceDatabaseTest, PrefersTheSixtyFourBitTwinOfAPackage)
{
    const auto x86 = item ("type=\"qx4+dri\" os=\"win\" osbit=\"32\" file=\"x86.zip\"");
    const auto x64 = item ("type=\"qx4+dri\" os=\"win\" osbit=\"64\" file=\"x64.zip\"");
    const auto other = item ("type=\"plugin\" os=\"win\" file=\"p.exe\"");
    const auto onlyX64 = juce::StringArray ("<QX4,qx4+driwin7/win10/win11cn/en64bit>" + downloadServer + "/x64.zip");

    EXPECT_EQ (read (x86 + x64).getDriverData(), onlyX64);
    EXPECT_EQ (read (x64 + x86).getDriverData(), onlyX64);
    EXPECT_EQ (read (x86 + x64 + x86 + x64).getDriverData(), onlyX64);

    const auto apart = read (x86 + other + x64);
    EXPECT_EQ (apart.getDriverData().size(), 3) << "another code in between breaks the pair";
    EXPECT_EQ (apart.getDriverTypeList(), juce::StringArray ("qx4+dri", "plugin"));

    const auto otherName = read (x86 + x64.replace ("QX4", "Nova"));
    EXPECT_EQ (otherName.getDriverData().size(), 2) << "twins share their name";

    const auto unmarked = read (x86 + item ("type=\"qx4+dri\" os=\"win\" file=\"any.zip\""));
    EXPECT_EQ (unmarked.getDriverData(), juce::StringArray ("<QX4,qx4+driwin7/win10/win11cn/en64bit>" + downloadServer + "/any.zip"));

    wow64.set64Bit (false);
    EXPECT_EQ (read (x86 + x64).getDriverData(), juce::StringArray ("<QX4,qx4+driwin7/win10/win11cn/en32bit>" + downloadServer + "/x86.zip"));
}

TEST_F (DeviceDatabaseTest, JudgesTwinsByTheirDescriptionNotTheirAddress)
{
    // A 32-bit package whose file name says 64bit is still the 32-bit twin.
    const auto db = read (item ("type=\"qx4+dri\" os=\"win\" osbit=\"32\" file=\"Driver_32bit_64bit.zip\"")
                          + item ("type=\"qx4+dri\" os=\"win\" osbit=\"64\" file=\"Driver_x64.zip\""));

    EXPECT_EQ (db.getDriverData(), juce::StringArray ("<QX4,qx4+driwin7/win10/win11cn/en64bit>" + downloadServer + "/Driver_x64.zip"));
}

TEST_F (DeviceDatabaseTest, ListsEachCodeAndOfferOnce)
{
    // The second qx4 offer is dropped as the neighbour of a 64-bit qx4 offer of the same name.
    const auto db = read (item ("type=\"qx4\" os=\"win\" file=\"a.zip\"") + item ("type=\"plugin\" os=\"win\" file=\"p.exe\"")
                          + item ("type=\"qx4\" os=\"win\" file=\"a.zip\"") + item ("type=\"qx4\" os=\"win\" file=\"b.zip\"")
                          + item ("type=\"QX4\" os=\"win\" file=\"b.zip\""));

    EXPECT_EQ (db.getDriverTypeList(), juce::StringArray ("qx4", "plugin", "QX4"));
    EXPECT_EQ (db.getDriverData(),
               juce::StringArray ("<QX4,qx4win7/win10/win11cn/en64bit>" + downloadServer + "/a.zip",
                                  "<QX4,pluginwin7/win10/win11cn/en64bit>" + downloadServer + "/p.exe",
                                  "<QX4,QX4win7/win10/win11cn/en64bit>" + downloadServer + "/b.zip"));
}

TEST_F (DeviceDatabaseTest, ChoosesTheBaseAddress)
{
    const auto roots = juce::String ("driverBaseUrl=\"https://base.test/d\" driverBaseUrlCN=\"https://cn.test/d\" driverBaseUrlWin7=\"https://seven.test/d\"");
    const auto noCn = juce::String ("driverBaseUrl=\"https://base.test/d\" driverBaseUrlCN=\"\" driverBaseUrlWin7=\"\"");
    const auto items = item ("type=\"pic\" file=\"q.png\"") + item ("type=\"qx4\" os=\"win\" file=\"q.zip\"");
    const auto address = [&] (const juce::String& rootAttributes)
    {
        return read (items, "0x0104", rootAttributes).getDriverData()[0].fromFirstOccurrenceOf (">", false, false);
    };

    EXPECT_EQ (address (roots), downloadServer + "/q.zip") << "the cn region always uses the download server";
    EXPECT_EQ (read (items, "0x0104", roots).getPicture(), downloadServer + "/q.png");

    version.setVersion (6, 1, 7601);
    EXPECT_EQ (address (roots), "http://download.example.test/q.zip");

    const ScopedRegion en ("en");
    EXPECT_EQ (address (roots), "http://seven.test/d/q.zip");
    EXPECT_EQ (address (noCn), "http://base.test/d/q.zip");

    version.setVersion (10, 0, 19045);
    EXPECT_EQ (address (roots), "https://cn.test/d/q.zip");
    EXPECT_EQ (address (noCn), "https://base.test/d/q.zip");
}

TEST_F (DeviceDatabaseTest, KeepsUnsafeFileValuesInTheAddressButNotInLocalNames)
{
    const auto db = read (item ("type=\"qx4\" os=\"win\" file=\"../../../Windows/System32/evil.dll\"")
                          + item ("type=\"plugin\" os=\"win\" file=\"C:\\Users\\Public\\Desktop\\evil.exe\"")
                          + item ("type=\"pic\" file=\"/etc/..\""));

    ASSERT_EQ (db.getDriverData().size(), 2);
    EXPECT_EQ (db.getDriverData()[0], "<QX4,qx4win7/win10/win11cn/en64bit>" + downloadServer + "/../../../Windows/System32/evil.dll");
    EXPECT_EQ (db.getDriverData()[1], "<QX4,pluginwin7/win10/win11cn/en64bit>" + downloadServer + "/C:\\Users\\Public\\Desktop\\evil.exe");
    EXPECT_EQ (db.getPicture(), downloadServer + "//etc/..");

    const auto target = folder.getFolder().getChildFile ("downloads");

    for (const auto& address : { db.getDriverData()[0].fromFirstOccurrenceOf (">", false, false),
                                 db.getDriverData()[1].fromFirstOccurrenceOf (">", false, false),
                                 db.getPicture() })
        EXPECT_EQ (target.getChildFile (LocalFileName::fromAddress (address, "download.bin")).getParentDirectory(), target) << address;
}

TEST_F (DeviceDatabaseTest, ReportsMissingAndInvalidLists)
{
    const auto missing = folder / "missing.xml";
    const auto db = DeviceDatabase (missing, "0x0104");

    EXPECT_EQ (log.getLines(), juce::StringArray ("<DeviceDatabase> XML file does not exist! (" + missing.getFullPathName() + ")"));
    EXPECT_TRUE (db.getDriverData().isEmpty());
    EXPECT_EQ (db.getOs(), "");
    EXPECT_EQ (db.getBit(), "");
    EXPECT_EQ (db.getRegion(), "cn");

    for (auto text : { "<list><item pid=\"260\"></list>", "<devices><item pid=\"260\" type=\"a\" os=\"win\"/></devices>", "" })
    {
        log.clear();
        const auto invalid = DeviceDatabase (folder.write ("invalid.xml", text), "0x0104");
        EXPECT_EQ (log.getLines(), juce::StringArray ("<DeviceDatabase> Invalid XML file or wrong root element!")) << text;
        EXPECT_TRUE (invalid.getDriverData().isEmpty());
        EXPECT_EQ (invalid.getOs(), "");
    }

    EXPECT_EQ (DeviceDatabase (folder.write ("upper.xml", "<LIST>" + item ("type=\"a\" os=\"win\"") + "</LIST>"), "0x0104").getDriverTypeList(),
               juce::StringArray ("a"));
}

TEST_F (DeviceDatabaseTest, LogsWhatItFound)
{
    read (item ("type=\"pic\" file=\"q.png\"") + item ("type=\"qx4\" os=\"win\" file=\"q.zip\"") + item ("type=\"plugin\" os=\"win\" file=\"p.exe\""));

    EXPECT_EQ (log.getLines(),
               juce::StringArray ("<DeviceDatabase::DeviceDatabase> Old Win10 whitelist size: 0",
                                  "<DeviceDatabase::DeviceDatabase> OS is now: win10 64-bit",
                                  "<DeviceDatabase::displayData> _driverTypeList:",
                                  "qx4",
                                  "plugin",
                                  "<DeviceDatabase::displayData> _driverData:",
                                  "<QX4,qx4win7/win10/win11cn/en64bit>" + downloadServer + "/q.zip",
                                  "<QX4,pluginwin7/win10/win11cn/en64bit>" + downloadServer + "/p.exe",
                                  "<DeviceDatabase::displayData> _picture:\r\n" + downloadServer + "/q.png"));
    EXPECT_TRUE (osInfoLogged);

    log.clear();
    read ("");
    EXPECT_EQ (log.getLines(), juce::StringArray ("<DeviceDatabase::DeviceDatabase> Old Win10 whitelist size: 0", "<DeviceDatabase::DeviceDatabase> OS is now: win10 64-bit"))
        << "an empty database logs no lists";
}

TEST_F (DeviceDatabaseTest, StaysQuietInManualSelection)
{
    const ScopedManualMode manual;
    const auto items = item ("type=\"pic\" file=\"q.png\"") + item ("type=\"qx4\" os=\"win\"");

    DeviceDatabase (folder / "missing.xml", "0x0104");
    DeviceDatabase (folder.write ("bad.xml", "<devices/>"), "0x0104");
    EXPECT_TRUE (log.getLines().isEmpty());

    const auto db = read (items);
    EXPECT_EQ (db.getDriverTypeList(), juce::StringArray ("qx4"));
    EXPECT_EQ (log.getLines(), juce::StringArray ("<DeviceDatabase::DeviceDatabase> Old Win10 whitelist size: 0", "<DeviceDatabase::DeviceDatabase> OS is now: win10 64-bit"));

    log.clear();
    read (items);
    EXPECT_EQ (log.getLines(), juce::StringArray ("<DeviceDatabase::DeviceDatabase> Old Win10 whitelist size: 0")) << "the OS line comes once per run here";

    manualModeActive = false;
    log.clear();
    read (items);
    EXPECT_EQ (log.countContaining ("OS is now: win10 64-bit"), 1) << "and with every database outside manual selection";
}

TEST_F (DeviceDatabaseTest, FlagsAWindows10TooOldForTheDevice)
{
    const auto items = item ("type=\"pic\" file=\"q.png\"") + item ("type=\"qx4\" os=\"win10\"");

    read (items);
    read (item ("type=\"qx4\" os=\"win10\""));
    version.setVersion (10, 0, 18363);
    read (item ("type=\"qx4\" os=\"win10\""));
    read (items + item ("type=\"all\" os=\"win\""));
    version.setVersion (6, 1, 7601);
    read (item ("type=\"pic\" file=\"q.png\"") + item ("type=\"qx4\" os=\"win10\""));
    EXPECT_FALSE (osVersionTooOld) << "only a known device with nothing to install on old Windows 10";
    EXPECT_EQ (log.countContaining ("OS version is too old!"), 0);

    version.setVersion (10, 0, 18363);
    const auto db = read (items);
    EXPECT_TRUE (db.getDriverData().isEmpty());
    EXPECT_TRUE (osVersionTooOld);
    EXPECT_EQ (log.count ("DeviceDatabase > OS version is too old!\r\n"), 1);

    version.setVersion (10, 0, 19045);
    read (items);
    EXPECT_TRUE (osVersionTooOld) << "never reset";
}

//==============================================================================
class DeviceDatabaseSample : public DeviceDatabaseTest
{
protected:
    const juce::File sample { juce::String (STRATOSET_TEST_DATA_DIR) + "/device-list.xml" };
};

TEST_F (DeviceDatabaseSample, OffersQx4OnWindows10)
{
    const DeviceDatabase qx4 (sample, "0x0104");

    EXPECT_EQ (qx4.getDeviceName(), "QX4");
    EXPECT_EQ (qx4.getOldWin10Whitelist(), juce::StringArray ("0x0104", "0x1A2A"));
    EXPECT_EQ (qx4.getDriverTypeList(), juce::StringArray ("qx4+dri", "tesselmax_notqt+dri", "plugin"));
    EXPECT_EQ (qx4.getDriverData(),
               juce::StringArray ("<QX4,qx4+driwin7/win10/win11cn/en64bit>" + downloadServer + "/qx4/HubDriver_4.2_x64.zip",
                                  "<QX4,tesselmax_notqt+driwin10/win11cn64bit>" + downloadServer + "/tesselmax/TesselMax_2.1.zip",
                                  "<QX4,pluginwin7/win10/win11cn/en64bit>" + downloadServer + "/plugin/ShortcutPlugin.exe"));
    EXPECT_EQ (qx4.getPicture(), downloadServer + "/pictures/qx4.png");

    version.setVersion (10, 0, 18363);
    EXPECT_EQ (DeviceDatabase (sample, "0x0104").getDriverTypeList(), juce::StringArray ("qx4+dri", "qx4", "plugin"));
}

TEST_F (DeviceDatabaseSample, SeparatesTheTwoNamesOfASharedProductId)
{
    const DeviceDatabase nova (sample, "0x1A2A");
    EXPECT_EQ (nova.getDeviceName(), "Nova / Nova Mini");
    EXPECT_EQ (nova.getDriverTypeList(), juce::StringArray ("tessellite+dri", "tessel"));
    EXPECT_EQ (nova.getPicture(), "<Nova>" + downloadServer + "/pictures/nova.png<Nova Mini>" + downloadServer + "/pictures/nova_mini.png");

    const DeviceDatabase mini (sample, "0x1A2B");
    EXPECT_EQ (mini.getDeviceName(), "Nova Mini");
    EXPECT_EQ (mini.getDriverTypeList(), juce::StringArray ("tessel"));
    EXPECT_EQ (mini.getPicture(), downloadServer + "/pictures/nova_mini.png");
}

TEST_F (DeviceDatabaseSample, OffersTheEditorsOfArc2OnWindows7InEnglish)
{
    version.setVersion (6, 1, 7601);
    const ScopedRegion en ("en");
    const DeviceDatabase arc (sample, "0x00A1");

    EXPECT_EQ (arc.getDriverData(), juce::StringArray ("<Arc 2,vortexdeckwin7/win10/win11cn/en64bit>http://legacy.velmora.com/drivers/arc2/VortexDeck Setup 3.0.exe"))
        << "the Windows 7 editor is for the cn region only";
    EXPECT_EQ (arc.getPicture(), "http://legacy.velmora.com/drivers/pictures/arc2.png");
}
