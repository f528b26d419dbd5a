#include "core/CatalogueAssembly.h"

#include "devices/DeviceListFormat.h"
#include "ui/InstallButtonRules.h"

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

juce::String findPackageSha256 (const std::vector<DeviceDatabase>& databases, const juce::String& downloadAddress)
{
    for (const auto& database : databases)
        for (const auto& offer : database.getDriverData())
            if (InstallButtonRules::downloadAddressOf (offer) == downloadAddress)
                return database.getPackageSha256 (offer);

    return {};
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
