#include "platform/Wow64Service.h"

#include <windows.h>

namespace platform
{
namespace
{
    using IsWow64ProcessFunction = BOOL (WINAPI*) (HANDLE, PBOOL);

    // The one place where the 32-bit product and the 64-bit test build differ.
    constexpr bool processIs64Bit = sizeof (void*) == 8;

    bool nativeProcessorIs64Bit()
    {
        SYSTEM_INFO info = {};
        GetNativeSystemInfo (&info);

        switch (info.wProcessorArchitecture)
        {
            case PROCESSOR_ARCHITECTURE_AMD64:
            case PROCESSOR_ARCHITECTURE_ARM64:
            case PROCESSOR_ARCHITECTURE_IA64:
                return true;
            default:
                return false;
        }
    }

    class NativeWow64 final : public Wow64Service
    {
    public:
        Wow64Answer lookUpAndCallIsWow64Process() override
        {
            Wow64Answer answer;
            auto* kernel = GetModuleHandleW (L"kernel32");

            if (kernel == nullptr)
                return answer;

            auto function = reinterpret_cast<IsWow64ProcessFunction> (reinterpret_cast<void*> (GetProcAddress (kernel, "IsWow64Process")));

            if (function == nullptr)
                return answer;

            BOOL flag = FALSE;
            answer.functionFound = true;
            answer.callSucceeded = function (GetCurrentProcess(), &flag) != 0;
            answer.isWow64 = flag != FALSE;
            answer.nativeSystemIs64Bit = processIs64Bit && nativeProcessorIs64Bit();
            return answer;
        }

        bool callIsWow64Process() override
        {
            BOOL flag = FALSE;
            IsWow64Process (GetCurrentProcess(), &flag);
            return flag != FALSE;
        }
    };
} // namespace

std::unique_ptr<Wow64Service> Wow64Service::createNative()
{
    return std::make_unique<NativeWow64>();
}
} // namespace platform
