#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

#include "platform/UsbDeviceService.h"

/** Answers whether one of the maker's connected devices carries a product
    name in its friendly name. Every query walks the present devices afresh,
    unless they were remembered for a run of queries.
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
    using Devices = std::optional<std::vector<platform::UsbDeviceProperties>>;
    std::optional<Devices> remembered;
    Devices fresh; // the last walk of a query without remembered devices
};
