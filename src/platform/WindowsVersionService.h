#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/PlatformService.h"

namespace platform
{
/** The fields of an OSVERSIONINFOW record that the program reads. */
struct OsVersionInfo
{
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint32_t platformId = 0;
};

constexpr uint32_t versionPlatformWin32Nt = 2; // VER_PLATFORM_WIN32_NT

/** The two version queries of Windows, each answered on its own, so the
        caller decides which one counts: RtlGetVersion from ntdll, found by
        name, and the older GetVersionExW.
    */
class WindowsVersionService
{
public:
    virtual ~WindowsVersionService() = default;

    /** Empty when ntdll has no RtlGetVersion or its status is not 0. */
    virtual std::optional<OsVersionInfo> rtlGetVersion() = 0;

    /** Empty when GetVersionExW fails. */
    virtual std::optional<OsVersionInfo> getVersionExW() = 0;

    static std::unique_ptr<WindowsVersionService> createNative();
};

inline WindowsVersionService& windowsVersion() { return PlatformService<WindowsVersionService>::get(); }
} // namespace platform
