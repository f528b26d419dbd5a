#include "ui/DeviceCatalogue.h"

#include "devices/ProductCatalogue.h"

bool DeviceCatalogue::isEmpty() const
{
    return names.isEmpty() || names[0].isEmpty();
}

juce::String DeviceCatalogue::pictureOf (const juce::String& pictureText, const juce::String& name)
{
    const auto marker = "<" + name + ">";
    const auto start = pictureText.indexOf (marker);

    if (start < 0)
        return {};

    return pictureText.substring (start + marker.length()).upToFirstOccurrenceOf ("<", false, false);
}

bool DeviceCatalogue::isOfferOf (const juce::String& offer, const juce::String& name)
{
    return offer.startsWith ("<" + name + ",");
}

juce::StringArray DeviceCatalogue::sortAndSplit (bool manualMode, const std::function<bool (const juce::String&)>& isConnected)
{
    names.sort (true);

    juce::StringArray items;

    const auto addItem = [&] (const juce::String& name)
    {
        if (! manualMode)
            juce::Logger::writeToLog ("<InterfaceComponent::updateItems> combobox update item: " + name);

        items.add (name);
    };

    for (const auto& entry : names)
    {
        if (entry.isEmpty())
            continue;

        if (! entry.contains (nameSeparator))
        {
            addItem (entry);
            continue;
        }

        // Copies: the maps grow below, which may move their elements.
        const auto sharedOffers = driverData[entry];
        const auto sharedPicture = pictures[entry];

        const auto takeDevice = [&] (const juce::String& name)
        {
            if (isConnected (name) || manualMode)
                addItem (name);

            juce::StringArray offers;
            juce::StringArray codes;

            for (const auto& offer : sharedOffers)
            {
                if (! isOfferOf (offer, name))
                    continue;

                offers.add (offer);

                const auto code = ProductCatalogue::classifyOffer (offer);

                if (code.isNotEmpty())
                    codes.addIfNotAlreadyThere (code);
            }

            if (! offers.isEmpty())
            {
                driverData[name] = offers;
                driverTypes[name] = codes;
            }

            if (const auto picture = pictureOf (sharedPicture, name); picture.isNotEmpty())
                pictures[name] = picture;
        };

        auto rest = entry;

        while (rest.contains (nameSeparator))
        {
            const auto k = rest.lastIndexOf (nameSeparator);
            takeDevice (rest.substring (k + juce::String (nameSeparator).length()));
            rest = rest.substring (0, k);
        }

        takeDevice (rest);
    }

    return items;
}
