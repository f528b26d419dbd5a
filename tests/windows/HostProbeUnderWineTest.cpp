#include <gtest/gtest.h>

#include "devices/HostSystem.h"
#include "platform/ShellFolderService.h"
#include "support/WindowsTestSupport.h"

#include <cstring>

// The host probe with the real Windows calls. The "ForWindowsVersion"
// suites run once for each version that Wine is told to report
// (STRATOSET_WINE_WINDOWS_VERSION names it).

namespace
{
struct ReportedWindows
{
    const char* settingName;
    uint32_t major, minor, build;
    const char* osName;
    bool oldWindows10;
};

// What Wine reports for each setting of the prefix.
constexpr ReportedWindows reportedWindows[] = {
    { "win7", 6, 1, 7601, "win7", true }, // Windows 7 SP1
    { "win10", 10, 0, 18362, "win10", true }, // Windows 10 version 1903
    { "win11", 10, 0, 22631, "win11", false }, // Windows 11 23H2
};

const ReportedWindows* findReportedWindows()
{
    const auto setting = WindowsTestSupport::getEnvironmentVariable ("STRATOSET_WINE_WINDOWS_VERSION");

    for (const auto& windows : reportedWindows)
        if (setting == windows.settingName)
            return &windows;

    return nullptr;
}

class HostProbeForWindowsVersion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        expected = findReportedWindows();
        ASSERT_NE (expected, nullptr) << "STRATOSET_WINE_WINDOWS_VERSION names no known setting";
    }

    const ReportedWindows* expected = nullptr;
};

using RtlGetVersionFunction = LONG (WINAPI*) (OSVERSIONINFOEXW*);

RtlGetVersionFunction findRtlGetVersion()
{
    return reinterpret_cast<RtlGetVersionFunction> (reinterpret_cast<void*> (GetProcAddress (GetModuleHandleW (L"ntdll.dll"), "RtlGetVersion")));
}

/** An extended version record with guard bytes behind its short part. */
struct GuardedRecord
{
    GuardedRecord()
    {
        std::memset (&record, 0xcc, sizeof (record));
        record.dwOSVersionInfoSize = sizeof (record);
    }

    /** True when the system wrote into the bytes that only the extended record has. */
    bool extendedPartWritten() const
    {
        const auto* bytes = reinterpret_cast<const unsigned char*> (&record);

        for (auto i = sizeof (OSVERSIONINFOW); i < sizeof (OSVERSIONINFOEXW); ++i)
            if (bytes[i] != 0xcc)
                return true;

        return false;
    }

    OSVERSIONINFOEXW record;
};
} // namespace

TEST_F (HostProbeForWindowsVersion, VersionOsNameAndOldWindows10FollowWhatWindowsReports)
{
    uint32_t major = 0, minor = 0, build = 0;
    ASSERT_TRUE (getWindowsVersion (major, minor, build));
    EXPECT_EQ (major, expected->major);
    EXPECT_EQ (minor, expected->minor);
    EXPECT_EQ (build, expected->build);

    EXPECT_EQ (getOsName(), expected->osName);
    EXPECT_EQ (isWindows10Build1909OrOlder(), expected->oldWindows10);
}

TEST_F (HostProbeForWindowsVersion, RtlGetVersionIsFoundAndAnswersWithThePlatform)
{
    const auto version = platform::windowsVersion().rtlGetVersion();
    ASSERT_TRUE (version.has_value());
    EXPECT_EQ (version->majorVersion, expected->major);
    EXPECT_EQ (version->minorVersion, expected->minor);
    EXPECT_EQ (version->buildNumber, expected->build);
    EXPECT_EQ (version->platformId, platform::versionPlatformWin32Nt);
}

TEST_F (HostProbeForWindowsVersion, GetVersionExAnswersAsTheSystemDoes)
{
    // The fallback query itself, compared with the system's own answer.
    OSVERSIONINFOW direct = {};
    direct.dwOSVersionInfoSize = sizeof (direct);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE (GetVersionExW (&direct));
#pragma GCC diagnostic pop

    const auto version = platform::windowsVersion().getVersionExW();
    ASSERT_TRUE (version.has_value());
    EXPECT_EQ (version->majorVersion, direct.dwMajorVersion);
    EXPECT_EQ (version->minorVersion, direct.dwMinorVersion);
    EXPECT_EQ (version->buildNumber, direct.dwBuildNumber);
    EXPECT_EQ (version->platformId, platform::versionPlatformWin32Nt);
    EXPECT_GE (version->majorVersion, 6u);
}

TEST_F (HostProbeForWindowsVersion, TheSystemFillsTheWholeExtendedRecordThatItsSizeFieldAnnounces)
{
    // Why the queries pass OSVERSIONINFOEXW: told 284 bytes, the system
    // writes beyond the 276 bytes of the short OSVERSIONINFOW.
    static_assert (sizeof (OSVERSIONINFOEXW) == 284 && sizeof (OSVERSIONINFOW) == 276);

    auto rtlGetVersion = findRtlGetVersion();
    ASSERT_NE (rtlGetVersion, nullptr);

    GuardedRecord fromRtl;
    ASSERT_EQ (rtlGetVersion (&fromRtl.record), 0);
    EXPECT_TRUE (fromRtl.extendedPartWritten());

    GuardedRecord fromGetVersionEx;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE (GetVersionExW (reinterpret_cast<OSVERSIONINFOW*> (&fromGetVersionEx.record)));
#pragma GCC diagnostic pop
    EXPECT_TRUE (fromGetVersionEx.extendedPartWritten());
}

//==============================================================================
// The product is a 32-bit process: on the 64-bit Windows of the prefix it
// runs under WOW64. Run by the 32-bit build only.
namespace
{
/** Independent evidence: only a 64-bit Windows has a SysWOW64 folder. */
bool prefixIsA64BitWindows()
{
    wchar_t wow64Folder[MAX_PATH] = {};
    return GetSystemWow64DirectoryW (wow64Folder, MAX_PATH) != 0;
}

/** What the platform's WOW64 query found, the function and its call always. */
void expectWow64Answer (bool isWow64, bool nativeSystemIs64Bit)
{
    const auto answer = platform::wow64().lookUpAndCallIsWow64Process();
    EXPECT_TRUE (answer.functionFound);
    EXPECT_TRUE (answer.callSucceeded);
    EXPECT_EQ (answer.isWow64, isWow64);
    EXPECT_EQ (answer.nativeSystemIs64Bit, nativeSystemIs64Bit);
}
} // namespace

TEST (HostProbeAs32BitProcess, A64BitWindowsIsReportedAsSuchByWow64)
{
    ASSERT_TRUE (prefixIsA64BitWindows()) << "the test prefix is a 64-bit Windows";

    // A 32-bit process leaves the question to WOW64.
    expectWow64Answer (true, false);
    EXPECT_TRUE (platform::wow64().callIsWow64Process());

    EXPECT_EQ (getSystemBitness(), "64");
    EXPECT_EQ (getSystemToolFolder(), "C:\\Windows\\SysNative");
}

TEST (HostProbeAs32BitProcess, TheSystemToolFolderReachesThe64BitSystemFiles)
{
    // Through SysNative the 32-bit process sees the 64-bit system folder;
    // System32 itself is redirected to the 32-bit files.
    const juce::File toolFolder (getSystemToolFolder());
    EXPECT_EQ (WindowsTestSupport::readPeMachine (toolFolder.getChildFile ("kernel32.dll")), IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ (WindowsTestSupport::readPeMachine (juce::File ("C:\\Windows\\System32\\kernel32.dll")), IMAGE_FILE_MACHINE_I386);
}

// The 64-bit build of the same sources is never under WOW64: it must still
// see a 64-bit Windows, or it would refuse every 64-bit package. Run by the
// 64-bit build only.
TEST (HostProbeAs64BitProcess, A64BitWindowsIsReportedAsSuchByTheProcessor)
{
    ASSERT_TRUE (prefixIsA64BitWindows()) << "the test prefix is a 64-bit Windows";
    expectWow64Answer (false, true);

    EXPECT_EQ (getSystemBitness(), "64");
    EXPECT_EQ (getOsName(), "win10");
    // Its own System32 holds the 64-bit system files; SysNative is only a
    // 32-bit process's way there.
    EXPECT_EQ (getSystemToolFolder(), "C:\\Windows\\System32");
    EXPECT_EQ (WindowsTestSupport::readPeMachine (juce::File (getSystemToolFolder()).getChildFile ("kernel32.dll")), IMAGE_FILE_MACHINE_AMD64);
}

TEST (HostProbeUnderWine, ShellFoldersAreTheUsersWindowsFolders)
{
    auto& folders = platform::shellFolders();
    EXPECT_EQ (folders.getUserApplicationDataFolder(), WindowsTestSupport::getRoamingApplicationDataFolder());
    EXPECT_TRUE (folders.getUserDesktopFolder().isDirectory());
    EXPECT_TRUE (folders.getCommonApplicationDataFolder().isDirectory());
    EXPECT_TRUE (folders.getTemporaryFolder().isDirectory());
    EXPECT_EQ (folders.getSystemToolFolder (false), "C:\\Windows\\System32");
}

//==============================================================================
// Run only in a 32-bit prefix (by flow/whole-flow.sh win32).
TEST (HostProbeOn32BitWindows, NoWow64BitnessThirtyTwoAndTheToolsInSystem32)
{
    ASSERT_FALSE (prefixIsA64BitWindows()) << "the prefix is a 32-bit Windows";
    expectWow64Answer (false, false);

    EXPECT_EQ (getSystemBitness(), "32");
    EXPECT_EQ (getSystemToolFolder(), "C:\\Windows\\System32");
    EXPECT_EQ (WindowsTestSupport::readPeMachine (juce::File (getSystemToolFolder()).getChildFile ("kernel32.dll")), IMAGE_FILE_MACHINE_I386);
}
