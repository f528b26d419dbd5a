#pragma once

#include <juce_core/juce_core.h>

#include "platform/UsbDeviceService.h"

/** Which of the maker's USB devices are connected, recognised by the vendor
    ID in their hardware ID ("USB\VID_2C7D&PID_0104&REV_0100").
*/

/** The maker's USB vendor ID in product ID form. */
constexpr const char* makerVendorId = "0x2C7D";

/** "0x" + the four characters after the first `marker` ("VID_" or "PID_",
    case-sensitive) when all four are hexadecimal digits (their case kept);
    otherwise empty.
*/
juce::String extractHexField (const juce::String& hardwareId, const juce::String& marker);

/** The product IDs of the maker's present devices, each once, in enumeration
    order; empty when there are none or the devices cannot be enumerated.
*/
juce::StringArray scanConnectedProductIds();

namespace UsbRules
{
/** True when the hardware ID carries the maker's vendor ID. */
bool isMakersDevice (const juce::String& hardwareId);

/** The distinct product IDs of the maker's devices among `devices`. */
juce::StringArray productIdsOfMaker (const std::vector<platform::UsbDeviceProperties>& devices);

/** A product name as it is searched: without blanks and "_", in lower case. */
juce::String normaliseProductName (const juce::String& name);

/** A friendly name as it is compared: without blanks, in lower case (underscores stay). */
juce::String normaliseFriendlyName (const juce::String& friendlyName);
} // namespace UsbRules
