#include <gtest/gtest.h>

#include "devices/DriverMonitor.h"
#include "devices/UsbDetection.h"
#include "support/LogCapture.h"

// USB detection with the real SetupAPI walk, over the devices that
// wine/usb-devices.reg puts into the prefix's registry: the maker's composite
// device 0x0104 (two interfaces), its devices 0x00A1 and 0x0151 (the latter
// without a friendly name), another vendor's device, and a device of the
// maker on the HID enumerator.

namespace
{
const platform::UsbDeviceProperties* findDevice (const std::vector<platform::UsbDeviceProperties>& devices, const juce::String& hardwareId)
{
    for (const auto& device : devices)
        if (device.hardwareId == hardwareId)
            return &device;

    return nullptr;
}
} // namespace

TEST (UsbDetectionUnderWine, TheWalkReadsTheFirstHardwareIdAndTheFriendlyNameOfEveryPresentUsbDevice)
{
    const auto devices = platform::usbDevices().enumeratePresentDevices();
    ASSERT_TRUE (devices.has_value());

    const auto* audio = findDevice (*devices, "USB\\VID_2C7D&PID_0104&REV_0100&MI_00");
    ASSERT_NE (audio, nullptr);
    EXPECT_EQ (audio->friendlyName, juce::String ("Velmora Tessel Max Pro Audio"));

    const auto* midi = findDevice (*devices, "USB\\VID_2C7D&PID_0104&REV_0100&MI_01");
    ASSERT_NE (midi, nullptr);
    EXPECT_EQ (midi->friendlyName, juce::String ("Velmora Tessel Max Pro MIDI"));

    const auto* other = findDevice (*devices, "USB\\VID_046D&PID_C52B&REV_2411");
    ASSERT_NE (other, nullptr);
    EXPECT_EQ (other->friendlyName, juce::String ("Unifying Receiver"));

    // A device without the property: the read fails, its description is not taken instead.
    const auto* unnamed = findDevice (*devices, "USB\\VID_2C7D&PID_0151&REV_0100");
    ASSERT_NE (unnamed, nullptr);
    EXPECT_FALSE (unnamed->friendlyName.has_value());

    // Only the USB enumerator is walked.
    EXPECT_EQ (findDevice (*devices, "HID\\VID_2C7D&PID_0999&REV_0100"), nullptr);
}

TEST (UsbDetectionUnderWine, TheMakersProductIdsAreFoundOnceEach)
{
    auto productIds = scanConnectedProductIds();

    // Wine's enumeration order is its own; what counts is which IDs and how often.
    productIds.sort (false);
    EXPECT_EQ (productIds.joinIntoString (" "), "0x00A1 0x0104 0x0151");
}

TEST (UsbDetectionUnderWine, FriendlyNamesOfTheMakersDevicesMatchTheProductName)
{
    LogCapture log;
    DriverMonitor monitor;

    // Blanks and underscores of the product name do not count, nor letter case.
    EXPECT_TRUE (monitor.isDriverExist ("Tessel_Max PRO"));
    EXPECT_TRUE (log.contains ("<DriverMonitor::isDriverExist> connected device: Velmora Tessel Max Pro Audio"));

    EXPECT_TRUE (monitor.isDriverExist ("Key_Weave 49"));
    EXPECT_TRUE (monitor.isDriverExist ("Tessel Max Pro MIDI"));
}

TEST (UsbDetectionUnderWine, OtherDevicesDoNotMatch)
{
    LogCapture log;
    DriverMonitor monitor;

    EXPECT_FALSE (monitor.isDriverExist ("Unifying Receiver")); // another vendor's device
    EXPECT_FALSE (monitor.isDriverExist ("Quasar Hub")); // only the description says so
    EXPECT_FALSE (monitor.isDriverExist ("HID Collection")); // not on the USB enumerator
    EXPECT_FALSE (monitor.isDriverExist ("KeyWeave 61"));

    EXPECT_EQ (log.countContaining ("connected device"), 0);
    EXPECT_FALSE (log.contains ("no device"));
}
