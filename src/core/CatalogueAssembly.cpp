#include "core/CatalogueAssembly.h"

#include "devices/DeviceListFormat.h"

namespace CatalogueAssembly
{
void rebuild (const std::vector<DeviceDatabase>& databases,
              juce::StringArray& deviceNames,
              ListsByName& driverTypes,
              ListsByName& driverData,
              TextByName& pictures,
              bool clearPictures)
{
    deviceNames.clear();
    driverTypes.clear();
    driverData.clear();

    if (clearPictures)
        pictures.clear();

    for (const auto& database : databases)
    {
        if (database.getDriverData().isEmpty())
            continue;

        const auto& name = database.getDeviceName();
        deviceNames.addIfNotAlreadyThere (name);
        driverTypes[name] = database.getDriverTypeList();
        driverData[name] = database.getDriverData();
        pictures[name] = database.getPicture();
    }
}

juce::StringArray collectProductIds (const juce::XmlElement& listRoot)
{
    juce::StringArray productIds;

    for (auto* child : listRoot.getChildIterator())
        if (DeviceListFormat::hasTag (*child, DeviceListFormat::itemTag))
            productIds.addIfNotAlreadyThere (DeviceListFormat::readProductId (*child, "pid"));

    return productIds;
}
} // namespace CatalogueAssembly
