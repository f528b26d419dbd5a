#pragma once

#include <juce_core/juce_core.h>

#include <optional>

#include "platform/WindowsVersionService.h"
#include "platform/Wow64Service.h"

/** What the program needs to know about the Windows it runs on.

    The functions query the operating system on every call (nothing is
    cached). The decisions themselves are the plain rules in HostRules, so
    they can be checked against any version record.
*/

/** "64" when the process runs under WOW64 (or, a 64-bit process, on a
    64-bit processor), else "32".
*/
juce::String getSystemBitness();

/** Major, minor and build number of the running Windows: RtlGetVersion
    first, GetVersionExW second. On false the out-parameters are untouched.
*/
bool getWindowsVersion (uint32_t& major, uint32_t& minor, uint32_t& build);

/** True on Windows 10 version 1909 (build 18363) or older, and on every
    Windows before 10.
*/
bool isWindows10Build1909OrOlder();

/** "win7", "win10", "win11" or "unknown". */
juce::String getOsName();

/** "C:\Windows\SysNative" under WOW64, else "C:\Windows\System32" (on the
    simulated host, its System32 folder for both).
*/
juce::String getSystemToolFolder();

namespace HostRules
{
/** RtlGetVersion's answer, or GetVersionExW's when that fails. */
std::optional<platform::OsVersionInfo> queryWindowsVersion();

juce::String osNameFor (const std::optional<platform::OsVersionInfo>& version);
bool isWindows10Build1909OrOlder (const std::optional<platform::OsVersionInfo>& version);
juce::String bitnessFor (const platform::Wow64Answer& answer);

constexpr uint32_t lastOldWindows10Build = 18363; // Windows 10 version 1909
constexpr uint32_t firstWindows11Build = 22000;
} // namespace HostRules
