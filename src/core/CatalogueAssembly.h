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

/** The SHA-256 the list gives the package at `downloadAddress` (an
    install request's address, blanks as %20 and "+" as %2B), from the
    first offer of the databases with that address; empty when it gives
    none.
*/
juce::String findPackageSha256 (const std::vector<DeviceDatabase>& databases, const juce::String& downloadAddress);

/** The distinct product IDs of the list's items ("pid" attributes read as
    atoi does and written "0x" + four upper-case hexadecimal digits), in
    document order.
*/
juce::StringArray collectProductIds (const juce::XmlElement& listRoot);
} // namespace CatalogueAssembly
