#include "devices/DriverMonitor.h"

#include "devices/UsbDetection.h"

bool DriverMonitor::isDriverExist (const juce::String& name)
{
    _searchName = UsbRules::normaliseProductName (name);

    if (! remembered.has_value())
        fresh = platform::usbDevices().enumeratePresentDevices();

    const auto& devices = remembered.has_value() ? *remembered : fresh;

    if (! devices.has_value())
    {
        juce::Logger::writeToLog ("no device");
        return false;
    }

    for (const auto& device : *devices)
    {
        if (! device.hardwareId.has_value() || ! UsbRules::isMakersDevice (*device.hardwareId) || ! device.friendlyName.has_value())
            continue;

        if (UsbRules::normaliseFriendlyName (*device.friendlyName).contains (_searchName))
        {
            juce::Logger::writeToLog ("<DriverMonitor::isDriverExist> connected device: " + *device.friendlyName);
            return true;
        }
    }

    return false;
}

void DriverMonitor::rememberPresentDevices()
{
    remembered = platform::usbDevices().enumeratePresentDevices();
}
