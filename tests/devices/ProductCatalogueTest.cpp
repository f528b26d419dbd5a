#include <gtest/gtest.h>

#include "devices/ProductCatalogue.h"

#include <thread>

TEST (ProductCatalogue, NamesEveryCodeOfTheCatalogue)
{
    const std::pair<const char*, const char*> expected[] = {
        { "tesselmax", "Tessel Max" },
        { "tesselmax+dri", "Tessel Max" },
        { "tesselmax_notqt", "Tessel Max" },
        { "tesselmax_notqt+dri", "Tessel Max" },
        { "tessellite", "Tessel Lite" },
        { "tessellite+dri", "Tessel Lite" },
        { "tessel", "Tessel" },
        { "tessel+dri", "Tessel" },
        { "qx4", "HubDriver" },
        { "qx4+dri", "HubDriver" },
        { "qx3", "HubDriver" },
        { "enqx3", "HubDriver" },
        { "dri", "Driver" },
        { "newdri", "newDriver" },
        { "vortexdeck", "Vortex Deck" },
        { "keyweave", "KeyWeave" },
        { "oldkeyweave", "KeyWeave" },
        { "plugin", "Plugin" },
    };

    EXPECT_EQ (ProductCatalogue::getEntries().size(), std::size (expected));

    for (const auto& [code, name] : expected)
        EXPECT_EQ (getProductDisplayName (code), name) << code;
}

TEST (ProductCatalogue, LooksCodesUpExactly)
{
    EXPECT_EQ (getProductDisplayName ("TESSELMAX_NOTQT+DRI"), "Unknown");
    EXPECT_EQ (getProductDisplayName ("tesselmini"), "Unknown") << "has a tooltip but no catalogue entry";
    EXPECT_EQ (getProductDisplayName ("pic"), "Unknown");
    EXPECT_EQ (getProductDisplayName (""), "Unknown");
    EXPECT_EQ (getProductDisplayName (" tessel"), "Unknown");
}

TEST (ProductCatalogue, ReverseLookupGivesACodeWithThatName)
{
    const auto keyWeave = getProductDisplayName ("KeyWeave");
    EXPECT_TRUE (keyWeave == "keyweave" || keyWeave == "oldkeyweave") << keyWeave;
    EXPECT_EQ (getProductDisplayName ("Driver"), "dri");
    EXPECT_EQ (getProductDisplayName ("newDriver"), "newdri");
    EXPECT_EQ (getProductDisplayName (getProductDisplayName ("HubDriver")), "HubDriver");
    EXPECT_EQ (getProductDisplayName ("driver"), "Unknown");
}

TEST (ProductCatalogue, FirstUseFromManyThreadsAgrees)
{
    std::vector<juce::String> answers (8);
    std::vector<std::thread> threads;

    for (size_t i = 0; i < answers.size(); ++i)
        threads.emplace_back ([&answers, i]
                              { answers[i] = getProductDisplayName ("vortexdeck"); });

    for (auto& t : threads)
        t.join();

    for (const auto& answer : answers)
        EXPECT_EQ (answer, "Vortex Deck");
}

TEST (ProductCatalogue, ClassifiesOffersByTheFirstBaseCodeTheyContain)
{
    using ProductCatalogue::classifyOffer;

    EXPECT_EQ (ProductCatalogue::getBaseCodeOrder(),
               juce::StringArray ({ "keyweave", "tesselmax", "tessellite", "tessel", "qx3", "qx4", "vortexdeck", "newdri", "dri" }));

    EXPECT_EQ (classifyOffer ("<Arc 2,oldkeyweavewin7cn64bit>http://x/KeyWeave.zip"), "keyweave");
    EXPECT_EQ (classifyOffer ("<QX4,tesselmax_notqt+driwin10/win11cn64bit>http://x/a.zip"), "tesselmax");
    EXPECT_EQ (classifyOffer ("<Nova,tessellite+driwin7/win10/win11cn/en64bit>http://x/b.zip"), "tessellite");
    EXPECT_EQ (classifyOffer ("<Nova Mini,tesselwin7/win10cn/en64bit>http://x/c.zip"), "tessel");
    EXPECT_EQ (classifyOffer ("<QX4,enqx3win10/win11en64bit>http://x/d.exe"), "qx3");
    EXPECT_EQ (classifyOffer ("<QX4,newdriwin10/win11cn64bit>http://x/e.exe"), "newdri");
    EXPECT_EQ (classifyOffer ("<QX4,driwin10/win11cn64bit>http://x/f.exe"), "dri");
    EXPECT_EQ (classifyOffer ("<QX4,pluginwin7cn64bit>http://x/g.exe"), "");
}

TEST (ProductCatalogue, PicksTooltipKeysByCode)
{
    using ProductCatalogue::getTooltipKey;

    EXPECT_EQ (getTooltipKey ("tesselmax+dri"), "tool_tip_tesselmax");
    EXPECT_EQ (getTooltipKey ("tesselmax_notqt"), "tool_tip_tesselmax");
    EXPECT_EQ (getTooltipKey ("tessellite"), "tool_tip_tessellite");
    EXPECT_EQ (getTooltipKey ("qx4"), "tool_tip_tesselmini");
    EXPECT_EQ (getTooltipKey ("qx4+dri"), "tool_tip_tesselmini");
    EXPECT_EQ (getTooltipKey ("tesselmini"), "tool_tip_tesselmini");
    EXPECT_EQ (getTooltipKey ("tessel+dri"), "tool_tip_tessel");
    EXPECT_EQ (getTooltipKey ("vortexdeck"), "tool_tip_vortexdeck");
    EXPECT_EQ (getTooltipKey ("oldkeyweave"), "tool_tip_keyweave");
    EXPECT_EQ (getTooltipKey ("plugin"), "tool_tip_plugin");
    EXPECT_EQ (getTooltipKey ("enqx3"), "");
    EXPECT_EQ (getTooltipKey ("qx3"), "");
    EXPECT_EQ (getTooltipKey ("dri"), "");
}
