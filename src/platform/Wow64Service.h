#pragma once

#include <memory>

#include "platform/PlatformService.h"

namespace platform
{
/** What IsWow64Process says about the current process. The product is a
    32-bit process, which runs under WOW64 on a 64-bit Windows; a 64-bit
    build of the same sources (the one the Windows tests run where no 32-bit
    program can) is never under WOW64, so it asks GetNativeSystemInfo too.
*/
struct Wow64Answer
{
    bool functionFound = false; // kernel32 exports IsWow64Process
    bool callSucceeded = false; // the call returned non-zero
    bool isWow64 = false; // the flag it filled in (left 0 when not called)
    bool nativeSystemIs64Bit = false; // a 64-bit process only: GetNativeSystemInfo names a 64-bit processor
};

class Wow64Service
{
public:
    virtual ~Wow64Service() = default;

    /** Looks IsWow64Process up by name in kernel32 and calls it for the current process. */
    virtual Wow64Answer lookUpAndCallIsWow64Process() = 0;

    /** Calls the directly linked IsWow64Process for the current process and
            returns the flag it filled in, without looking at the call's result.
        */
    virtual bool callIsWow64Process() = 0;

    static std::unique_ptr<Wow64Service> createNative();
};

inline Wow64Service& wow64() { return PlatformService<Wow64Service>::get(); }
} // namespace platform
