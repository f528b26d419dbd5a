#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

#include "platform/PlatformService.h"

namespace platform
{
/** Two registry properties of one present USB device; empty when reading
    that property failed.
*/
struct UsbDeviceProperties
{
    std::optional<juce::String> hardwareId; // the first, most specific hardware ID
    std::optional<juce::String> friendlyName;
};

/** The present devices on the USB enumerator, of every setup class. */
class UsbDeviceService
{
public:
    virtual ~UsbDeviceService() = default;

    /** The devices in enumeration order, or nothing when the device set
        cannot be obtained.
    */
    virtual std::optional<std::vector<UsbDeviceProperties>> enumeratePresentDevices() = 0;

    static std::unique_ptr<UsbDeviceService> createNative();
};

inline UsbDeviceService& usbDevices() { return PlatformService<UsbDeviceService>::get(); }
} // namespace platform
