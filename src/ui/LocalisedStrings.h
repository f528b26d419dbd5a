#pragma once

#include <juce_core/juce_core.h>

#include <functional>

/** The embedded English and Chinese string table and its lookup.

    The main component and the interface component each parse their own
    copy and look texts up by key; a key that the current language lacks is
    shown as the key itself.
*/
namespace LocalisedStrings
{
/** A text lookup by string-table key in the language shown: what the rules
    that make texts are handed.
*/
using Lookup = std::function<juce::String (const juce::String& key)>;

/** The embedded table: one JSON object with the members "en" and "cn". */
juce::String getEmbeddedTable();

/** JSON::parse of the embedded table. */
juce::var parseEmbeddedTable();

/** The text of `key` in `language`; `key` itself when the table is not an
        object, the language is not an object in it, or the key is missing or
        not a string.
    */
juce::String lookUp (const juce::var& strings, const juce::String& language, const juce::String& key);

/** The language the language button switches to: "cn" after "en", else "en". */
juce::String nextLanguage (const juce::String& language);
} // namespace LocalisedStrings
