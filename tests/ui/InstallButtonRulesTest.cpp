#include <gtest/gtest.h>

#include "ui/InstallButtonRules.h"
#include "ui/LocalisedStrings.h"

namespace
{
InstallButtonRules::Lookup lookupIn (const juce::String& language)
{
    return [language, strings = LocalisedStrings::parseEmbeddedTable()] (const juce::String& key)
    { return LocalisedStrings::lookUp (strings, language, key); };
}
} // namespace

TEST (InstallButtonRules, CaptionsFollowTheCode)
{
    using InstallButtonRules::captionFor;
    const auto en = lookupIn ("en");
    const auto cn = lookupIn ("cn");

    EXPECT_EQ (captionFor ("tesselmax+dri", "cn", "en", en), "Tessel Max + Driver");
    EXPECT_EQ (captionFor ("tesselmax_notqt+dri", "cn", "cn", cn), juce::String::fromUTF8 ("Tessel Max + 驱动"));
    EXPECT_EQ (captionFor ("qx4", "cn", "en", en), "HubDriver");
    EXPECT_EQ (captionFor ("qx4+dri", "cn", "en", en), "HubDriver + Driver");
    EXPECT_EQ (captionFor ("keyweave", "cn", "en", en), "KeyWeave");

    for (const auto* driver : { "dri", "qx3", "newdri", "enqx3" })
        EXPECT_EQ (captionFor (driver, "cn", "en", en), "Driver") << driver;

    EXPECT_EQ (captionFor ("plugin", "en", "en", en), "Plugin");
    EXPECT_EQ (captionFor ("plugin", "en", "cn", cn), juce::String::fromUTF8 ("触控插件"));
    EXPECT_EQ (captionFor ("plugin", "cn", "cn", cn), juce::String::fromUTF8 ("触控插件"));
    EXPECT_EQ (captionFor ("plugin", "cn", "en", en), "Plugin");
    EXPECT_EQ (captionFor ("plugin", "de", "en", en), "");

    EXPECT_EQ (InstallButtonRules::tooltipKeyFor ("tesselmax+dri"), "tool_tip_tesselmax");
    EXPECT_EQ (InstallButtonRules::tooltipKeyFor ("qx4"), "tool_tip_tesselmini");
    EXPECT_EQ (InstallButtonRules::tooltipKeyFor ("enqx3"), "");
}

TEST (InstallButtonRules, EachButtonKeepsItsOwnOffer)
{
    // A 32-bit and a 64-bit offer of one code both fit; the next code must
    // still get its own offer, not the second one of the first code.
    const juce::StringArray offers {
        "<QX4,qx4+driwin7/win10/win11cn/en32bit>http://h/qx4_x86.zip",
        "<QX4,keyweavewin10/win11cn/en64bit>http://h/kw.zip",
        "<QX4,qx4+driwin7/win10/win11cn/en64bit>http://h/qx4_x64.zip",
        "<QX4,tesselmaxwin7cn64bit>http://h/old.zip",
    };

    const auto buttons = InstallButtonRules::pairCodesWithOffers ({ "qx4+dri", "keyweave", "tesselmax" }, offers, "win10");
    ASSERT_EQ (buttons.size(), 2u) << "tesselmax has no offer for win10";
    EXPECT_EQ (buttons[0].code, "qx4+dri");
    EXPECT_EQ (buttons[0].offer, offers[0]);
    EXPECT_EQ (buttons[1].code, "keyweave");
    EXPECT_EQ (buttons[1].offer, offers[1]);

    // A code that is part of another ("tessel" in "tesselmax") takes the offer left over.
    const juce::StringArray tessels { "<X,tesselmaxwin10cn64bit>http://h/max.zip", "<X,tesselwin10cn64bit>http://h/tessel.zip" };
    const auto pairs = InstallButtonRules::pairCodesWithOffers ({ "tesselmax", "tessel" }, tessels, "win10");
    ASSERT_EQ (pairs.size(), 2u);
    EXPECT_EQ (pairs[1].offer, tessels[1]);

    EXPECT_EQ (InstallButtonRules::pairCodesWithOffers ({ "tesselmax", "tessel" }, { tessels[0] }, "win10").size(), 1u)
        << "no second button without an offer of its own";
}

TEST (InstallButtonRules, InstallRequestTakesAddressAndFlagsFromTheOffer)
{
    using InstallButtonRules::downloadAddressOf;

    EXPECT_EQ (downloadAddressOf ("<Arc 2,vortexdeckwin7/win10/win11cn/en64bit>https://h/arc2/VortexDeck Setup+3.0.exe"),
               "https://h/arc2/VortexDeck%20Setup%2B3.0.exe");
    EXPECT_EQ (downloadAddressOf ("<A,dri>https://h/a%41 b>c.zip"), "https://h/a%41%20b>c.zip");
    EXPECT_EQ (downloadAddressOf ("no address"), "no%20address");

    const auto max = InstallButtonRules::flagsFor ("<QX4,tesselmax_notqt+driwin10/win11cn64bit>https://h/t.zip", "en");
    EXPECT_TRUE (max.notQt);
    EXPECT_FALSE (max.noDriverIncluded);
    EXPECT_TRUE (max.enTesselMax);
    EXPECT_FALSE (max.oldKeyWeave);
    EXPECT_FALSE (max.enQx3);
    EXPECT_FALSE (InstallButtonRules::flagsFor ("<QX4,tesselmax+driwin10cn64bit>x", "cn").enTesselMax);

    const auto keyWeave = InstallButtonRules::flagsFor ("<Arc 2,oldkeyweavewin7cn64bit>https://h/k.zip", "cn");
    EXPECT_TRUE (keyWeave.oldKeyWeave);
    EXPECT_TRUE (keyWeave.noDriverIncluded);
    EXPECT_TRUE (InstallButtonRules::flagsFor ("<QX4,enqx3win10/win11en64bit>https://h/o.exe", "en").enQx3);

    EXPECT_TRUE (InstallButtonRules::advisesRestart ("<Nova,tessellite+driwin7cn/en64bit>x"));
    EXPECT_FALSE (InstallButtonRules::advisesRestart ("<QX4,qx4+driwin10cn64bit>https://h/tessel.zip"));
}

TEST (InstallButtonRules, ThirtyTwoBitWarningStaysSilentForWindowsOffers)
{
    using InstallButtonRules::warnsAbout32BitPackage;

    EXPECT_FALSE (warnsAbout32BitPackage ("<QX4,qx4+driwin7/win10/win11cn/en32bit>x", "64"));
    EXPECT_TRUE (warnsAbout32BitPackage ("<QX4,driunknowncn32bit>x", "64"));
    EXPECT_FALSE (warnsAbout32BitPackage ("<QX4,driunknowncn32bit>x", "32"));
    EXPECT_FALSE (warnsAbout32BitPackage ("<QX4,driunknowncn64bit>x", "64"));
}
