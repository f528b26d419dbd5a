#pragma once

#include <juce_core/juce_core.h>

/** Reading the maker's device list: the helpers that every reader of the
    list shares, so that tags, attributes and product IDs are read the same
    way everywhere.

    Tags are compared without regard to letter case; attribute names and
    values exactly. A missing attribute reads as the empty text.
*/
namespace DeviceListFormat
{
/** True when the element's tag is `tag`, ignoring letter case. */
bool hasTag (const juce::XmlElement& element, juce::StringRef tag);

/** The attribute's value, or the empty text when the element lacks it. */
juce::String readAttribute (const juce::XmlElement& element, juce::StringRef attributeName);

/** Reads a number the way C's atoi does: leading white space, an optional
        sign, then decimal digits up to the first other character; no digits
        read as 0. Values beyond the int range are clamped to it.
    */
int readLeadingInteger (const juce::String& text);

/** "0x" + the upper-case hexadecimal value, left-padded with "0" to at
        least four digits: 6698 gives "0x1A2A". Negative values are written
        as their 32-bit two's complement.
    */
juce::String toProductIdText (int value);

/** A decimal product ID attribute read with readLeadingInteger and
        written with toProductIdText; a missing attribute gives "0x0000".
    */
juce::String readProductId (const juce::XmlElement& item, juce::StringRef attributeName);

/** Expands the short forms of an `os` value: "win" is "win7/win10/win11",
        "win10" is "win10/win11"; anything else stays as it is.
    */
juce::String expandOsNames (const juce::String& os);

/** An `area` value, or "cn/en" when it is empty. */
juce::String effectiveArea (const juce::String& area);

/** Parses a list; null when it does not parse or its root is not `list`. */
std::unique_ptr<juce::XmlElement> parseListText (const juce::String& text);

/** Loads and parses a list file; null when it does not parse or its root is not `list`. */
std::unique_ptr<juce::XmlElement> parseListFile (const juce::File& listFile);

// Tags and attributes of the format.
inline constexpr const char* listTag = "list";
inline constexpr const char* itemTag = "item";
inline constexpr const char* whitelistTag = "oldWin10Whitelist";
inline constexpr const char* whitelistEntryTag = "pid";
inline constexpr const char* pictureType = "pic";
inline constexpr const char* oldWindows10Mark = "1909";

/** Optional attribute of an item: the SHA-256 of its package in
    hexadecimal, which the downloaded package must have.
*/
inline constexpr const char* packageHashAttribute = "sha256";
} // namespace DeviceListFormat
