#include "platform/Wow64Service.h"

#include <windows.h>

namespace platform
{
namespace
{
    using IsWow64ProcessFunction = BOOL (WINAPI*) (HANDLE, PBOOL);

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
