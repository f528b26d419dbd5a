#include "ui/LocalisedStrings.h"

#include <BinaryData.h>

namespace LocalisedStrings
{
juce::String getEmbeddedTable()
{
    return juce::String::fromUTF8 (BinaryData::LocalisedStrings_json, BinaryData::LocalisedStrings_jsonSize);
}

juce::var parseEmbeddedTable()
{
    return juce::JSON::parse (getEmbeddedTable());
}

juce::String lookUp (const juce::var& strings, const juce::String& language, const juce::String& key)
{
    // Identifiers cannot be empty; no table member has an empty name.
    if (! strings.isObject() || language.isEmpty() || key.isEmpty())
        return key;

    const auto& texts = strings[juce::Identifier (language)];

    if (! texts.isObject())
        return key;

    const auto& text = texts[juce::Identifier (key)];
    return text.isString() ? text.toString() : key;
}

juce::String nextLanguage (const juce::String& language)
{
    return language == "en" ? "cn" : "en";
}
} // namespace LocalisedStrings
