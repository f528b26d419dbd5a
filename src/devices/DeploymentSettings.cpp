#include "devices/DeploymentSettings.h"

#include <atomic>

// The build passes these to this file only (see cmake/StratosetSettings.cmake).
#if ! defined(STRATOSET_DOWNLOAD_SERVER) || ! defined(STRATOSET_CLOUD_SERVER) || ! defined(STRATOSET_CHINA_MIRROR_SERVER)
#error "The server addresses are compiled in by the build: configure with CMake"
#endif

#if ! defined(STRATOSET_PUBLISHER_NAMES)
#error "The publisher names are compiled in by the build: configure with CMake"
#endif

namespace
{
std::atomic<const DeploymentSettings*> replacement { nullptr };
} // namespace

DeploymentSettings DeploymentSettings::getCompiledIn()
{
    return { STRATOSET_DOWNLOAD_SERVER, STRATOSET_CLOUD_SERVER, STRATOSET_CHINA_MIRROR_SERVER };
}

juce::StringArray DeploymentSettings::getPublisherNames()
{
    // UTF-8: a name may be written in any script.
    static const char* const names[] = { STRATOSET_PUBLISHER_NAMES };
    juce::StringArray result;

    for (const auto* name : names)
        result.add (juce::String::fromUTF8 (name));

    return result;
}

DeploymentSettings getDeploymentSettings()
{
    if (const auto* settings = replacement.load())
        return *settings;

    return DeploymentSettings::getCompiledIn();
}

ScopedDeploymentSettings::ScopedDeploymentSettings (const DeploymentSettings& replacementToUse)
    : settings (replacementToUse),
      previous (replacement.exchange (&settings))
{
}

ScopedDeploymentSettings::ScopedDeploymentSettings (const juce::String& oneServerForAll)
    : ScopedDeploymentSettings (DeploymentSettings { oneServerForAll, oneServerForAll, oneServerForAll })
{
}

ScopedDeploymentSettings::~ScopedDeploymentSettings()
{
    replacement.exchange (previous);
}
