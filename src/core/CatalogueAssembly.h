#pragma once

#include <juce_core/juce_core.h>

#include <unordered_map>
#include <vector>

#include "devices/DeviceDatabase.h"

namespace CatalogueAssembly
{
using ListsByName = std::unordered_map<juce::String, juce::StringArray>;
using TextByName = std::unordered_map<juce::String, juce::String>;

/** Rebuilds what the interface offers (device names with, per name, the
    package codes, the offer texts and the picture address) from the
    databases, in their order: databases without offers are skipped, each
    name is listed once where it is first met, and a later database of the
    same name overwrites its tables. `clearPictures` false keeps older
    picture entries.
*/
void rebuild (const std::vector<DeviceDatabase>& databases,
              juce::StringArray& deviceNames,
              ListsByName& driverTypes,
              ListsByName& driverData,
              TextByName& pictures,
              bool clearPictures);

/** The distinct product IDs of the list's items ("pid" attributes read as
    atoi does and written "0x" + four upper-case hexadecimal digits), in
    document order.
*/
juce::StringArray collectProductIds (const juce::XmlElement& listRoot);
} // namespace CatalogueAssembly
