#include "devices/ServerAddresses.h"

namespace ServerAddresses
{
juce::String getChinaMirrorListAddress (const DeploymentSettings& settings)
{
    return settings.chinaMirrorServer + chinaMirrorListPath;
}

juce::String getCloudListAddress (const DeploymentSettings& settings)
{
    return settings.cloudServer + cloudListPath;
}

juce::String getCloudBase (const DeploymentSettings& settings)
{
    return settings.cloudServer + cloudBasePath;
}

juce::String withPlainHttp (const juce::String& address)
{
    return address.replace ("https", "http");
}

juce::String getDeviceListAddress (const DeploymentSettings& settings,
                                   bool useChinaMirror,
                                   const juce::String& region,
                                   const juce::String& osName)
{
    const auto address = useChinaMirror ? getChinaMirrorListAddress (settings)
                                        : getCloudListAddress (settings);

    if (osName == "win7")
        return withPlainHttp (address);

    if (region == "cn")
        return address.replace (getCloudBase (settings), settings.downloadServer);

    return address;
}
} // namespace ServerAddresses
