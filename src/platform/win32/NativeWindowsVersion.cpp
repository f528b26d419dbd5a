#include "platform/WindowsVersionService.h"

#include <windows.h>

namespace platform
{
namespace
{
    using RtlGetVersionFunction = LONG (WINAPI*) (OSVERSIONINFOEXW*);

    // The size field claims the extended record (284 bytes), so the record
    // passed must be the extended one: the system writes that many bytes.
    static_assert (sizeof (OSVERSIONINFOEXW) == 284, "unexpected OSVERSIONINFOEXW layout");

    OsVersionInfo toVersionInfo (const OSVERSIONINFOEXW& record)
    {
        OsVersionInfo info;
        info.majorVersion = (uint32_t) record.dwMajorVersion;
        info.minorVersion = (uint32_t) record.dwMinorVersion;
        info.buildNumber = (uint32_t) record.dwBuildNumber;
        info.platformId = (uint32_t) record.dwPlatformId;
        return info;
    }

    class NativeWindowsVersion final : public WindowsVersionService
    {
    public:
        std::optional<OsVersionInfo> rtlGetVersion() override
        {
            auto* ntdll = GetModuleHandleW (L"ntdll.dll");

            if (ntdll == nullptr)
                return std::nullopt;

            auto function = reinterpret_cast<RtlGetVersionFunction> (reinterpret_cast<void*> (GetProcAddress (ntdll, "RtlGetVersion")));

            if (function == nullptr)
                return std::nullopt;

            OSVERSIONINFOEXW record;
            ZeroMemory (&record, sizeof (record));
            record.dwOSVersionInfoSize = sizeof (record);

            if (function (&record) != 0)
                return std::nullopt;

            return toVersionInfo (record);
        }

        std::optional<OsVersionInfo> getVersionExW() override
        {
            OSVERSIONINFOEXW record;
            ZeroMemory (&record, sizeof (record));
            record.dwOSVersionInfoSize = sizeof (record);

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
            const auto succeeded = GetVersionExW (reinterpret_cast<OSVERSIONINFOW*> (&record)) != 0;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

            if (! succeeded)
                return std::nullopt;

            return toVersionInfo (record);
        }
    };
} // namespace

std::unique_ptr<WindowsVersionService> WindowsVersionService::createNative()
{
    return std::make_unique<NativeWindowsVersion>();
}
} // namespace platform
