#include <gtest/gtest.h>

#include "download/DriverStoreCheck.h"
#include "support/LogCapture.h"
#include "support/SimulatedHostFolder.h"

namespace
{
juce::File fixture (const juce::String& name)
{
    return juce::File (STRATOSET_TEST_DATA_DIR).getChildFile (name);
}

/** A pnputil.exe of the simulated host that prints the fixture listing
    and notes each start in a file.
*/
juce::File writePnputil (const SimulatedHostFolder& host)
{
    const auto script = host.write ("System32/pnputil.exe",
                                    "#!/bin/sh\n"
                                    "echo \"$@\" >> \"$(dirname \"$0\")/started.txt\"\n"
                                    "cat '"
                                        + fixture ("pnputil-enum-drivers.txt").getFullPathName() + "'\n");
    script.setExecutePermission (true);
    return script;
}
} // namespace

TEST (DriverStoreCheck, FindsTheMakersPackagesWithTheirPublishedNames)
{
    juce::StringArray lines;
    fixture ("pnputil-enum-drivers.txt").readLines (lines);

    const auto qx4 = DriverStoreCheck::findPackages (lines, DriverStoreCheck::matchKeyFor ("QX4"));
    ASSERT_EQ (qx4.size(), 1u);
    EXPECT_EQ (qx4[0].fileName, "velmora_qx4.inf");
    EXPECT_EQ (qx4[0].publishedName, "oem12.inf");

    const auto novaMini = DriverStoreCheck::findPackages (lines, DriverStoreCheck::matchKeyFor ("Nova_Mini"));
    ASSERT_EQ (novaMini.size(), 1u);
    EXPECT_EQ (novaMini[0].publishedName, "oem13.inf");

    EXPECT_TRUE (DriverStoreCheck::findPackages (lines, "arc2").empty());
    EXPECT_TRUE (DriverStoreCheck::findPackages (lines, "generic").empty()) << "only the maker's packages";

    // Lines without ".inf" leave the published name alone.
    const auto padded = DriverStoreCheck::findPackages ({ "Published Name:  oem7.inf  ", "Provider Name: Velmora", "Original Name:  velmora_arc_2.inf" }, "arc2");
    ASSERT_EQ (padded.size(), 1u);
    EXPECT_EQ (padded[0].publishedName, "oem7.inf");
}

TEST (DriverStoreCheck, PackagesWithoutDriverAreRecognisedByCaption)
{
    for (const auto* caption : { "KeyWeave", "Vortex Deck", "Tessel Max", "Plugin" })
        EXPECT_FALSE (DriverStoreCheck::isDriverPackage (caption, "Plugin")) << caption;

    EXPECT_FALSE (DriverStoreCheck::isDriverPackage (juce::String::fromUTF8 ("触控插件"), juce::String::fromUTF8 ("触控插件")));
    EXPECT_TRUE (DriverStoreCheck::isDriverPackage ("Tessel Max + Driver", "Plugin"));
    EXPECT_TRUE (DriverStoreCheck::isDriverPackage ("HubDriver", "Plugin"));
}

TEST (DriverStoreCheck, RunsPnputilOfTheHostAndOnlyLogsTheDeleteCommand)
{
    SimulatedHostFolder host;
    host.setWow64 (true);
    writePnputil (host);

    LogCapture log;
    DriverStoreCheck::run ("Nova Mini", "Tessel", "Plugin");

    const auto tools = (host / "System32").getFullPathName();
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> try to uninstall driver, match by novamini"));
    EXPECT_TRUE (log.contains ("found: velmora_nova_mini.inf - oem13.inf"));
    EXPECT_TRUE (log.contains (tools + "/pnputil.exe /delete-driver oem13.inf /uninstall /force"));
    EXPECT_FALSE (log.contains ("<InterfaceComponent::buttonClicked> there's no corresponding driver available"));
    EXPECT_EQ ((host / "System32/started.txt").loadFileAsString().trim(), "/enum-drivers") << "the delete command is never run";

    log.clear();
    DriverStoreCheck::run ("Arc 2", "Driver", "Plugin");
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> there's no corresponding driver available"));
    EXPECT_EQ (log.countContaining ("/delete-driver"), 0);
}

TEST (DriverStoreCheck, SkipsPackagesWithoutDriverAndAMissingPnputil)
{
    SimulatedHostFolder host;
    writePnputil (host);

    LogCapture log;
    DriverStoreCheck::run ("Arc 2", "KeyWeave", "Plugin");
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> KeyWeave and Vortex Deck has no driver"));
    EXPECT_FALSE ((host / "System32/started.txt").exists());

    (host / "System32/pnputil.exe").deleteFile();
    log.clear();
    DriverStoreCheck::run ("QX4", "HubDriver", "Plugin");
    EXPECT_EQ (log.getLines(), juce::StringArray ("<InterfaceComponent::buttonClicked> can't run pnputil /enum-drivers!"));
}
