#include "devices/HostSystem.h"

#include "platform/ShellFolderService.h"

namespace HostRules
{
std::optional<platform::OsVersionInfo> queryWindowsVersion()
{
    auto& queries = platform::windowsVersion();

    if (auto version = queries.rtlGetVersion())
        return version;

    return queries.getVersionExW();
}

juce::String osNameFor (const std::optional<platform::OsVersionInfo>& version)
{
    if (! version.has_value())
        return "unknown";

    if (version->majorVersion == 10)
        return version->buildNumber >= firstWindows11Build ? "win11" : "win10";

    // Windows 8 and 8.1 count as Windows 7 for the device list.
    return "win7";
}

bool isWindows10Build1909OrOlder (const std::optional<platform::OsVersionInfo>& version)
{
    if (! version.has_value())
        return false;

    if (version->majorVersion == 10)
        return version->minorVersion == 0
               && version->platformId == platform::versionPlatformWin32Nt
               && version->buildNumber <= lastOldWindows10Build;

    return version->majorVersion < 10;
}

juce::String bitnessFor (const platform::Wow64Answer& answer)
{
    const auto underWow64 = answer.functionFound && answer.callSucceeded && answer.isWow64;
    return underWow64 || answer.nativeSystemIs64Bit ? "64" : "32";
}
} // namespace HostRules

juce::String getSystemBitness()
{
    return HostRules::bitnessFor (platform::wow64().lookUpAndCallIsWow64Process());
}

bool getWindowsVersion (uint32_t& major, uint32_t& minor, uint32_t& build)
{
    const auto version = HostRules::queryWindowsVersion();

    if (! version.has_value())
        return false;

    major = version->majorVersion;
    minor = version->minorVersion;
    build = version->buildNumber;
    return true;
}

bool isWindows10Build1909OrOlder()
{
    return HostRules::isWindows10Build1909OrOlder (HostRules::queryWindowsVersion());
}

juce::String getOsName()
{
    return HostRules::osNameFor (HostRules::queryWindowsVersion());
}

juce::String getSystemToolFolder()
{
    return platform::shellFolders().getSystemToolFolder (platform::wow64().callIsWow64Process());
}
