#include <gtest/gtest.h>

#include "devices/HostSystem.h"
#include "support/FakePlatform.h"
#include "support/TemporaryFolder.h"

namespace
{
struct WindowsRelease
{
    uint32_t major, minor, build, platformId;
    const char* osName;
    bool oldWindows10;
};

// Readable in test listings instead of the struct's raw bytes.
[[maybe_unused]] void PrintTo (const WindowsRelease& r, std::ostream* os)
{
    *os << r.major << '.' << r.minor << '.' << r.build << " platform " << r.platformId;
}

class OsNameAndOldWindows10 : public ::testing::TestWithParam<WindowsRelease>
{
};
} // namespace

TEST_P (OsNameAndOldWindows10, FollowVersionNumbers)
{
    const auto& release = GetParam();
    FakeWindowsVersion version;
    version.setVersion (release.major, release.minor, release.build, release.platformId);

    EXPECT_EQ (getOsName(), release.osName);
    EXPECT_EQ (isWindows10Build1909OrOlder(), release.oldWindows10);
}

INSTANTIATE_TEST_SUITE_P (Releases,
                          OsNameAndOldWindows10,
                          ::testing::Values (
                              WindowsRelease { 6, 1, 7601, 2, "win7", true }, // Windows 7 SP1
                              WindowsRelease { 6, 3, 9600, 2, "win7", true }, // Windows 8.1
                              WindowsRelease { 10, 0, 18362, 2, "win10", true }, // 1903
                              WindowsRelease { 10, 0, 18363, 2, "win10", true }, // 1909
                              WindowsRelease { 10, 0, 18364, 2, "win10", false },
                              WindowsRelease { 10, 0, 19045, 2, "win10", false }, // 22H2
                              WindowsRelease { 10, 1, 18363, 2, "win10", false }, // minor other than 0
                              WindowsRelease { 10, 0, 18363, 1, "win10", false }, // not an NT platform
                              WindowsRelease { 10, 0, 21999, 2, "win10", false },
                              WindowsRelease { 10, 0, 22000, 2, "win11", false },
                              WindowsRelease { 10, 0, 22631, 2, "win11", false }),
                          [] (const auto& info)
                          {
                              const auto& r = info.param;
                              return "v" + std::to_string (r.major) + "_" + std::to_string (r.minor) + "_" + std::to_string (r.build) + "_platform" + std::to_string (r.platformId);
                          });

TEST (WindowsVersionQuery, FallsBackToGetVersionExWhenRtlGetVersionIsMissing)
{
    FakeWindowsVersion version;
    version.getVersionExAnswer = platform::OsVersionInfo { 10, 0, 22631, 2 };

    uint32_t major = 0, minor = 0, build = 0;
    ASSERT_TRUE (getWindowsVersion (major, minor, build));
    EXPECT_EQ (major, 10u);
    EXPECT_EQ (minor, 0u);
    EXPECT_EQ (build, 22631u);
    EXPECT_EQ (getOsName(), "win11");
    EXPECT_EQ (version.rtlGetVersionCalls, 2);
}

TEST (WindowsVersionQuery, PrefersRtlGetVersionOverGetVersionEx)
{
    // GetVersionExW lies about the version to programs without a manifest.
    FakeWindowsVersion version;
    version.rtlAnswer = platform::OsVersionInfo { 10, 0, 19045, 2 };
    version.getVersionExAnswer = platform::OsVersionInfo { 6, 2, 9200, 2 };

    EXPECT_EQ (getOsName(), "win10");
    EXPECT_FALSE (isWindows10Build1909OrOlder());
    EXPECT_EQ (version.getVersionExCalls, 0);
}

TEST (WindowsVersionQuery, BothQueriesFailing)
{
    FakeWindowsVersion version;

    uint32_t major = 7, minor = 8, build = 9;
    EXPECT_FALSE (getWindowsVersion (major, minor, build));
    EXPECT_EQ (major, 7u) << "out-parameters keep what the caller set";
    EXPECT_EQ (minor, 8u);
    EXPECT_EQ (build, 9u);

    EXPECT_EQ (getOsName(), "unknown");
    EXPECT_FALSE (isWindows10Build1909OrOlder());
}

TEST (SystemBitness, NeedsTheFunctionTheCallAndTheFlag)
{
    FakeWow64 wow64;

    wow64.answer = { false, false, false };
    EXPECT_EQ (getSystemBitness(), "32") << "IsWow64Process not found";

    wow64.answer = { true, false, true };
    EXPECT_EQ (getSystemBitness(), "32") << "the call failed";

    wow64.answer = { true, true, false };
    EXPECT_EQ (getSystemBitness(), "32");

    wow64.answer = { true, true, true };
    EXPECT_EQ (getSystemBitness(), "64");

    // A 64-bit process is never under WOW64: the processor decides.
    wow64.answer = { true, true, false, true };
    EXPECT_EQ (getSystemBitness(), "64") << "a 64-bit process on a 64-bit Windows";
}

TEST (SystemToolFolder, UsesSysNativeOnlyUnderWow64)
{
    TemporaryFolder root;
    FakeShellFolders folders (root.getFolder());
    FakeWow64 wow64;

    wow64.set64Bit (true);
    EXPECT_EQ (getSystemToolFolder(), (root / "SysNative").getFullPathName());

    wow64.set64Bit (false);
    EXPECT_EQ (getSystemToolFolder(), (root / "System32").getFullPathName());

    // The folder choice follows the flag alone, whatever the call returned.
    wow64.answer = { true, false, true };
    EXPECT_EQ (getSystemToolFolder(), (root / "SysNative").getFullPathName());
}
