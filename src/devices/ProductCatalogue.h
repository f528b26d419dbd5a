#pragma once

#include <juce_core/juce_core.h>

/** The package codes of the device list and the product names shown for them.

    A code is a base code, optionally "_notqt" after it and "+dri" at the
    end ("tesselmax_notqt+dri"). Codes are only ever tested by exact
    comparison or by substring, never split.
*/

/** The display name of a catalogue code; for a display name, a code that
    carries it; otherwise "Unknown". Comparisons are exact.
*/
juce::String getProductDisplayName (const juce::String& text);

namespace ProductCatalogue
{
struct Entry
{
    const char* code;
    const char* displayName;
};

/** The 18 catalogue entries, in catalogue order. */
const std::vector<Entry>& getEntries();

/** The nine base codes in the order in which an offer is classified:
        the first one that the offer contains is its code.
    */
const juce::StringArray& getBaseCodeOrder();

/** The first base code of getBaseCodeOrder() that `offer` contains, or empty. */
juce::String classifyOffer (const juce::String& offer);

/** The string-table key of the tooltip for an install button's code,
        or empty when the code has none.
    */
juce::String getTooltipKey (const juce::String& code);
} // namespace ProductCatalogue
