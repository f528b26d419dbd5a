#include <gtest/gtest.h>

#include "devices/ProductCatalogue.h"

#include <set>
#include <thread>

TEST (ProductCatalogue, EveryCodeNamesAProductThatLeadsBackToItsCodes)
{
    using ProductCatalogue::classifyOffer;
    std::set<juce::String> codes, names;

    for (const auto& entry : ProductCatalogue::getEntries())
    {
        const juce::String code (entry.code);
        EXPECT_TRUE (codes.insert (code).second) << "listed twice: " << code;

        const auto name = getProductDisplayName (code);
        EXPECT_NE (name, "Unknown") << code;
        names.insert (name);

        // The reverse lookup gives a code of the same product.
        EXPECT_EQ (getProductDisplayName (getProductDisplayName (name)), name) << code;

        // The driver included ("+dri") or the older interface ("_notqt") is
        // still the same product, and is classified by the same base code.
        const auto base = code.upToFirstOccurrenceOf ("_notqt", false, false).upToFirstOccurrenceOf ("+dri", false, false);

        if (base != code && codes.count (base) > 0)
        {
            EXPECT_EQ (getProductDisplayName (base), name) << code;
        }

        EXPECT_EQ (classifyOffer ("<Device," + code + "win10cn64bit>http://x/p.zip"), classifyOffer ("<Device," + base + "win10cn64bit>http://x/p.zip")) << code;
    }

    // The names the installation rules and the shortcut search compare
    // selections with are names the catalogue gives.
    for (const auto* name : { "Tessel Max", "HubDriver", "Driver", "newDriver", "Vortex Deck", "KeyWeave", "Plugin" })
        EXPECT_EQ (names.count (name), 1u) << name;
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
