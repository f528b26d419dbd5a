#pragma once

#include "platform/ShellFolderService.h"
#include "platform/UsbDeviceService.h"
#include "platform/WindowsVersionService.h"
#include "platform/Wow64Service.h"

/** In-memory stand-ins for the platform services: a test says what the
    host answers, and the code above the platform layer sees just that.
*/
class FakeWindowsVersion final : public platform::WindowsVersionService
{
public:
    std::optional<platform::OsVersionInfo> rtlGetVersion() override
    {
        ++rtlGetVersionCalls;
        return rtlAnswer;
    }

    std::optional<platform::OsVersionInfo> getVersionExW() override
    {
        ++getVersionExCalls;
        return getVersionExAnswer;
    }

    /** Both queries answer with this version. */
    void setVersion (uint32_t major, uint32_t minor, uint32_t build, uint32_t platformId = platform::versionPlatformWin32Nt)
    {
        rtlAnswer = platform::OsVersionInfo { major, minor, build, platformId };
        getVersionExAnswer = rtlAnswer;
    }

    std::optional<platform::OsVersionInfo> rtlAnswer, getVersionExAnswer;
    int rtlGetVersionCalls = 0, getVersionExCalls = 0;

private:
    platform::ScopedServiceOverride<platform::WindowsVersionService> installed { *this };
};

class FakeWow64 final : public platform::Wow64Service
{
public:
    platform::Wow64Answer lookUpAndCallIsWow64Process() override { return answer; }
    bool callIsWow64Process() override { return answer.isWow64; }

    void set64Bit (bool is64Bit) { answer = { true, true, is64Bit }; }

    platform::Wow64Answer answer;

private:
    platform::ScopedServiceOverride<platform::Wow64Service> installed { *this };
};

class FakeShellFolders final : public platform::ShellFolderService
{
public:
    /** Every folder lies below `root`, laid out as on Windows. */
    explicit FakeShellFolders (const juce::File& rootToUse) : root (rootToUse) {}

    juce::File getUserApplicationDataFolder() override { return root.getChildFile ("Users/user/AppData/Roaming"); }
    juce::File getUserDesktopFolder() override { return root.getChildFile ("Users/user/Desktop"); }
    juce::File getCommonApplicationDataFolder() override { return root.getChildFile ("ProgramData"); }
    juce::File getTemporaryFolder() override { return root.getChildFile ("Temp"); }
    juce::String getSystemToolFolder (bool sysNative) override { return root.getChildFile (sysNative ? "SysNative" : "System32").getFullPathName(); }

private:
    juce::File root;
    platform::ScopedServiceOverride<platform::ShellFolderService> installed { *this };
};

class FakeUsbDevices final : public platform::UsbDeviceService
{
public:
    std::optional<std::vector<platform::UsbDeviceProperties>> enumeratePresentDevices() override
    {
        ++enumerations;
        return devices;
    }

    /** Adds a present device; an empty text stands for a property that cannot be read. */
    void plug (const juce::String& hardwareId, const juce::String& friendlyName = {})
    {
        if (! devices.has_value())
            devices.emplace();

        platform::UsbDeviceProperties device;

        if (hardwareId.isNotEmpty())
            device.hardwareId = hardwareId;

        if (friendlyName.isNotEmpty())
            device.friendlyName = friendlyName;

        devices->push_back (device);
    }

    /** Empty: the device set cannot be obtained. */
    std::optional<std::vector<platform::UsbDeviceProperties>> devices;
    int enumerations = 0;

private:
    platform::ScopedServiceOverride<platform::UsbDeviceService> installed { *this };
};
