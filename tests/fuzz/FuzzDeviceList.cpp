// The device list as a server might send it, through the device database,
// the catalogue and the rules that turn offers into buttons. The first byte
// chooses the Windows the program runs on; the rest is the list.

#include "FuzzSupport.h"

#include "core/CatalogueAssembly.h"
#include "devices/DeviceDatabase.h"
#include "devices/DeviceListFormat.h"
#include "devices/HostSystem.h"
#include "ui/InstallButtonRules.h"

#include <vector>

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::silenceTheLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;

    FuzzSupport::chooseHost (data[0]);
    const auto root = DeviceListFormat::parseListText (FuzzSupport::textOf (data + 1, size - 1));

    if (root == nullptr)
        return 0;

    auto productIds = CatalogueAssembly::collectProductIds (*root);
    productIds.removeRange (8, productIds.size());

    std::vector<DeviceDatabase> databases;

    for (const auto& productId : productIds)
        databases.emplace_back (*root, productId);

    juce::StringArray names;
    CatalogueAssembly::ListsByName types, offers;
    CatalogueAssembly::TextByName pictures;
    CatalogueAssembly::rebuild (databases, names, types, offers, pictures, true);

    // Each device once, in the order first met.
    for (int i = 0; i < names.size(); ++i)
        if (names.indexOf (names[i]) != i)
            __builtin_trap();

    const auto tr = [] (const juce::String& key)
    { return "<" + key + ">"; };
    const auto osName = getOsName();

    for (const auto& name : names)
    {
        const auto& codes = types[name];
        const auto& texts = offers[name];

        for (const auto& button : InstallButtonRules::pairCodesWithOffers (codes, texts, osName))
        {
            for (const auto* region : { "cn", "en" })
            {
                InstallButtonRules::captionFor (button.code, region, "en", tr);
                InstallButtonRules::flagsFor (button.offer, region);
            }

            InstallButtonRules::tooltipKeyFor (button.code);
            InstallButtonRules::warnsAbout32BitPackage (button.offer, getSystemBitness());
            InstallButtonRules::advisesRestart (button.offer);
            InstallButtonRules::downloadAddressOf (button.offer);
        }
    }

    return 0;
}
