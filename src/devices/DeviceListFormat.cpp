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

std::unique_ptr<juce::XmlElement> parseListText (const juce::String& text)
{
    // JUCE's parser loops for ever on a processing instruction that is
    // followed by text inside an element ("<a><?pi?>text</a>"). A device
    // list has none after its declaration, so a text with one is no list.
    auto firstElement = -1;

    for (auto i = text.indexOfChar ('<'); i >= 0; i = text.indexOfChar (i + 1, '<'))
    {
        if (const auto next = text[i + 1]; next != '?' && next != '!')
        {
            firstElement = i;
            break;
        }
    }

    if (firstElement >= 0 && text.indexOf (firstElement, "<?") >= 0)
        return nullptr;

    auto root = juce::parseXML (text);

    if (root == nullptr || ! hasTag (*root, listTag))
        return nullptr;

    return root;
}

std::unique_ptr<juce::XmlElement> parseListFile (const juce::File& listFile)
{
    // Read as JUCE reads any text file (UTF-8, or else Windows-1252) and
    // parsed as text: nothing the list names is ever loaded from disk.
    return listFile.existsAsFile() ? parseListText (listFile.loadFileAsString()) : nullptr;
}
} // namespace DeviceListFormat
