#include "ui/InstallButtonRules.h"

#include "devices/ProductCatalogue.h"

namespace InstallButtonRules
{
bool offerFits (const juce::String& offer, const juce::String& code, const juce::String& osName)
{
    return offer.contains (code) && offer.contains (osName);
}

std::vector<Button> pairCodesWithOffers (const juce::StringArray& codes, const juce::StringArray& offers, const juce::String& osName)
{
    std::vector<Button> buttons;
    std::vector<bool> taken ((size_t) offers.size(), false);

    for (const auto& code : codes)
    {
        for (int i = 0; i < offers.size(); ++i)
        {
            if (taken[(size_t) i] || ! offerFits (offers[i], code, osName))
                continue;

            taken[(size_t) i] = true;
            buttons.push_back ({ code, offers[i] });
            break;
        }
    }

    return buttons;
}

bool warnsAbout32BitPackage (const juce::String& offer, const juce::String& bitness)
{
    return bitness == "64" && offer.contains ("32bit") && ! offer.contains ("win");
}

juce::String captionFor (const juce::String& code, const juce::String& region, const juce::String& language, const Lookup& tr)
{
    if (juce::StringArray { "dri", "qx3", "newdri", "enqx3" }.contains (code))
        return tr ("driver");

    if (code.contains ("plugin"))
    {
        if (region == "en" || (region == "cn" && language == "cn"))
            return tr ("plugin");

        if (region == "cn")
            return "Plugin";

        return {};
    }

    if (code.contains ("+dri"))
        return getProductDisplayName (code) + " + " + tr ("driver");

    return getProductDisplayName (code);
}

juce::String tooltipKeyFor (const juce::String& code)
{
    return ProductCatalogue::getTooltipKey (code);
}

bool isPluginCaption (const juce::String& caption, const Lookup& tr)
{
    return caption == tr ("plugin") || caption == "Plugin";
}

juce::String downloadAddressOf (const juce::String& offer)
{
    const auto address = offer.contains (">") ? offer.fromFirstOccurrenceOf (">", false, false) : offer;
    return address.replace (" ", "%20").replace ("+", "%2B");
}

PackageFlags flagsFor (const juce::String& offer, const juce::String& region)
{
    PackageFlags flags;
    flags.oldKeyWeave = offer.contains ("oldkeyweave");
    flags.notQt = offer.contains ("notqt");
    flags.noDriverIncluded = ! offer.contains ("+dri");
    flags.enQx3 = offer.contains ("enqx3");
    flags.enTesselMax = offer.contains ("tesselmax") && region == "en";
    return flags;
}

bool advisesRestart (const juce::String& offer)
{
    return offer.contains (",tessel");
}
} // namespace InstallButtonRules
