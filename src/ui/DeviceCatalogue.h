#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <unordered_map>

/** The catalogue that the main component hands to the interface: device
    names and, per name, the package codes, the offer texts and the picture
    address. An entry may name several devices that share one product ID
    ("Nova / Nova Mini"); its offers and picture pieces carry each device's
    own name.
*/
struct DeviceCatalogue
{
    juce::StringArray names;
    std::unordered_map<juce::String, juce::StringArray> driverTypes;
    std::unordered_map<juce::String, juce::StringArray> driverData;
    std::unordered_map<juce::String, juce::String> pictures;

    /** The separator between the names of a shared entry. */
    static constexpr const char* nameSeparator = " / ";

    /** True when there is no name, or the first name is empty. */
    bool isEmpty() const;

    /** Sorts the names ignoring case and returns the items of the device
        box, in order. A plain name is an item as it is. A shared entry is
        split from its last name to its first: each name becomes an item
        when `isConnected` says that device is attached (always in manual
        mode), and gets its own entries, kept besides the shared one: its
        offers (those that begin with its name), the code of each offer and
        the address of its picture piece.
    */
    juce::StringArray sortAndSplit (bool manualMode, const std::function<bool (const juce::String& name)>& isConnected);

    /** The address of the piece "<name>address" of a shared entry's picture
        text, or empty when there is no piece for that name.
    */
    static juce::String pictureOf (const juce::String& pictureText, const juce::String& name);

    /** True when an offer ("<" + name + "," + ...) is one of the device `name`. */
    static bool isOfferOf (const juce::String& offer, const juce::String& name);
};
