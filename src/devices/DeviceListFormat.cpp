#include "devices/DeviceListFormat.h"

#include <climits>

namespace DeviceListFormat
{
bool hasTag (const juce::XmlElement& element, juce::StringRef tag)
{
    // XmlElement::hasTagName compares the same way but asserts on a case mismatch.
    return element.getTagName().equalsIgnoreCase (tag);
}

juce::String readAttribute (const juce::XmlElement& element, juce::StringRef attributeName)
{
    return element.getStringAttribute (attributeName);
}

int readLeadingInteger (const juce::String& text)
{
    auto p = text.getCharPointer();

    // The white space that C's isspace accepts.
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
        ++p;

    bool negative = false;

    if (*p == '-' || *p == '+')
    {
        negative = (*p == '-');
        ++p;
    }

    int64_t value = 0;

    for (; *p >= '0' && *p <= '9'; ++p)
    {
        value = value * 10 + (int64_t) (*p - '0');

        if (value > (int64_t) INT_MAX + 1)
            value = (int64_t) INT_MAX + 1; // keeps the clamp below exact without overflowing
    }

    if (negative)
        value = -value;

    return (int) juce::jlimit ((int64_t) INT_MIN, (int64_t) INT_MAX, value);
}

juce::String toProductIdText (int value)
{
    return "0x" + juce::String::toHexString ((uint32_t) value).toUpperCase().paddedLeft ('0', 4);
}

juce::String readProductId (const juce::XmlElement& item, juce::StringRef attributeName)
{
    return toProductIdText (readLeadingInteger (readAttribute (item, attributeName)));
}

juce::String expandOsNames (const juce::String& os)
{
    if (os == "win")
        return "win7/win10/win11";

    if (os == "win10")
        return "win10/win11";

    return os;
}

juce::String effectiveArea (const juce::String& area)
{
    return area.isEmpty() ? juce::String ("cn/en") : area;
}

std::unique_ptr<juce::XmlElement> parseListFile (const juce::File& listFile)
{
    auto root = juce::XmlDocument::parse (listFile);

    if (root == nullptr || ! hasTag (*root, listTag))
        return nullptr;

    return root;
}
} // namespace DeviceListFormat
