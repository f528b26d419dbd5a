#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

#include "platform/UsbDeviceService.h"

/** Answers whether one of the maker's connected devices carries a product
    name in its friendly name. Nothing is cached: every query walks the
    present devices afresh.
*/
class DriverMonitor
{
public:
    /** True when a present device of the maker has a friendly name that
        contains `name`, both compared without blanks and in lower case (and
        without "_" in `name`).
    */
    bool isDriverExist (const juce::String& name);

    /** Takes the present devices once for the queries that follow (one sort
        of the device box asks for every device of the list): the bus is
        walked once rather than once per device.
    */
    void rememberPresentDevices();

private:
    juce::String _searchName; // the normalised name of the last query
    std::optional<std::optional<std::vector<platform::UsbDeviceProperties>>> remembered;
};
