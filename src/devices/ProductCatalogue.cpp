#include "devices/ProductCatalogue.h"

#include <unordered_map>

namespace ProductCatalogue
{
const std::vector<Entry>& getEntries()
{
    static const std::vector<Entry> entries {
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

    return entries;
}

const juce::StringArray& getBaseCodeOrder()
{
    // "oldkeyweave" counts as "keyweave"; the longer codes win over their prefixes.
    static const juce::StringArray order { "keyweave", "tesselmax", "tessellite", "tessel", "qx3", "qx4", "vortexdeck", "newdri", "dri" };
    return order;
}

juce::String classifyOffer (const juce::String& offer)
{
    for (const auto& code : getBaseCodeOrder())
        if (offer.contains (code))
            return code;

    return {};
}

juce::String getTooltipKey (const juce::String& code)
{
    if (code.contains ("tesselmax"))
        return "tool_tip_tesselmax";

    if (code.contains ("tessellite"))
        return "tool_tip_tessellite";

    if (code.contains ("tesselmini") || code.contains ("qx4"))
        return "tool_tip_tesselmini";

    if (code.contains ("tessel"))
        return "tool_tip_tessel";

    if (code.contains ("vortexdeck"))
        return "tool_tip_vortexdeck";

    if (code.contains ("keyweave"))
        return "tool_tip_keyweave";

    if (code.contains ("plugin"))
        return "tool_tip_plugin";

    return {};
}
} // namespace ProductCatalogue

namespace
{
struct CatalogueLookup
{
    std::unordered_map<juce::String, juce::String> nameByCode;
    std::unordered_map<juce::String, juce::String> codeByName; // the first code listed for each name
};

const CatalogueLookup& getLookup()
{
    // Built once, on first use; C++ makes the initialisation thread-safe.
    static const CatalogueLookup lookup = []
    {
        CatalogueLookup l;

        for (const auto& entry : ProductCatalogue::getEntries())
        {
            l.nameByCode.emplace (entry.code, entry.displayName);
            l.codeByName.emplace (entry.displayName, entry.code);
        }

        return l;
    }();

    return lookup;
}
} // namespace

juce::String getProductDisplayName (const juce::String& text)
{
    const auto& lookup = getLookup();

    if (auto found = lookup.nameByCode.find (text); found != lookup.nameByCode.end())
        return found->second;

    if (auto found = lookup.codeByName.find (text); found != lookup.codeByName.end())
        return found->second;

    return "Unknown";
}
