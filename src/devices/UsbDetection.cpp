#include "devices/UsbDetection.h"

juce::String extractHexField (const juce::String& hardwareId, const juce::String& marker)
{
    const auto start = hardwareId.indexOf (marker);

    if (start < 0)
        return {};

    const auto digits = hardwareId.substring (start + marker.length(), start + marker.length() + 4);

    // Fewer than four characters (the text ends early) are checked as they are.
    if (! digits.containsOnly ("0123456789ABCDEFabcdef"))
        return {};

    return "0x" + digits;
}

juce::StringArray scanConnectedProductIds()
{
    const auto devices = platform::usbDevices().enumeratePresentDevices();

    if (! devices.has_value())
        return {};

    return UsbRules::productIdsOfMaker (*devices);
}

namespace UsbRules
{
bool isMakersDevice (const juce::String& hardwareId)
{
    return extractHexField (hardwareId, "VID_") == makerVendorId;
}

juce::StringArray productIdsOfMaker (const std::vector<platform::UsbDeviceProperties>& devices)
{
    juce::StringArray productIds;

    for (const auto& device : devices)
        if (device.hardwareId.has_value() && isMakersDevice (*device.hardwareId))
            productIds.addIfNotAlreadyThere (extractHexField (*device.hardwareId, "PID_"));

    return productIds;
}

juce::String normaliseProductName (const juce::String& name)
{
    return name.removeCharacters (" ").removeCharacters ("_").toLowerCase();
}

juce::String normaliseFriendlyName (const juce::String& friendlyName)
{
    return friendlyName.removeCharacters (" ").toLowerCase();
}
} // namespace UsbRules
