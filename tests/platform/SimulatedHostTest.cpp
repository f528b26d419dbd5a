#include <gtest/gtest.h>

#include "devices/HostSystem.h"
#include "platform/ShellFolderService.h"
#include "support/SimulatedHostFolder.h"

#include <cstdlib>

// The stand-in for Windows on other systems: the tests here drive the real
// sim/ implementation through a host folder.

TEST (SimulatedHost, VersionFileFeedsBothQueries)
{
    SimulatedHostFolder host;
    auto& queries = platform::windowsVersion();

    host.setWindowsVersion ("10.0.18363");
    auto rtl = queries.rtlGetVersion();
    auto ex = queries.getVersionExW();
    ASSERT_TRUE (rtl.has_value());
    ASSERT_TRUE (ex.has_value());
    EXPECT_EQ (rtl->majorVersion, 10u);
    EXPECT_EQ (rtl->minorVersion, 0u);
    EXPECT_EQ (rtl->buildNumber, 18363u);
    EXPECT_EQ (rtl->platformId, 2u) << "VER_PLATFORM_WIN32_NT unless the file says otherwise";
    EXPECT_EQ (ex->buildNumber, 18363u);
    EXPECT_TRUE (isWindows10Build1909OrOlder());

    host.setWindowsVersion ("10.0.18363 1");
    EXPECT_EQ (queries.rtlGetVersion()->platformId, 1u);
    EXPECT_FALSE (isWindows10Build1909OrOlder());

    host.setWindowsVersion ("10.0.22000");
    EXPECT_EQ (getOsName(), "win11");

    host.setWindowsVersion ("6.3.9600");
    EXPECT_EQ (getOsName(), "win7");
}

TEST (SimulatedHost, UnreadableVersionMeansBothQueriesFail)
{
    SimulatedHostFolder host;

    for (auto line : { "", "10.0", "10.0.x", "10.0.19045.1", "ten.0.19045", "10.0.19045 2 3", "-10.0.19045" })
    {
        host.setWindowsVersion (line);
        EXPECT_FALSE (platform::windowsVersion().rtlGetVersion().has_value()) << line;
        EXPECT_FALSE (platform::windowsVersion().getVersionExW().has_value()) << line;
        EXPECT_EQ (getOsName(), "unknown") << line;
    }

    (host / "windows-version").deleteFile();
    EXPECT_EQ (getOsName(), "unknown");
}

TEST (SimulatedHost, Wow64FileGivesTheBitness)
{
    SimulatedHostFolder host;

    EXPECT_FALSE (platform::wow64().lookUpAndCallIsWow64Process().functionFound);
    EXPECT_EQ (getSystemBitness(), "32");

    host.setWow64 (true);
    EXPECT_EQ (getSystemBitness(), "64");
    EXPECT_EQ (getSystemToolFolder(), (host / "System32").getFullPathName());

    host.setWow64 (false);
    EXPECT_EQ (getSystemBitness(), "32");
    EXPECT_EQ (getSystemToolFolder(), (host / "System32").getFullPathName());
}

TEST (SimulatedHost, FoldersFollowTheWindowsLayoutBelowTheHost)
{
    SimulatedHostFolder host;
    auto& folders = platform::shellFolders();

    EXPECT_EQ (folders.getUserDesktopFolder(), host / "Users/user/Desktop");
    EXPECT_EQ (folders.getUserDesktopFolder().getParentDirectory().getParentDirectory().getChildFile ("Public/Desktop"),
               host / "Users/Public/Desktop")
        << "the all-users desktop is found from the user's one, as on Windows";
    EXPECT_EQ (folders.getUserApplicationDataFolder(), host / "Users/user/AppData/Roaming");
    EXPECT_EQ (folders.getCommonApplicationDataFolder(), host / "ProgramData");
    EXPECT_EQ (folders.getTemporaryFolder(), host / "Temp");
}

TEST (SimulatedHost, WithoutHostNothingIsThere)
{
    unsetenv ("STRATOSET_SIMULATED_HOST");

    EXPECT_FALSE (platform::windowsVersion().rtlGetVersion().has_value());
    EXPECT_FALSE (platform::windowsVersion().getVersionExW().has_value());
    EXPECT_FALSE (platform::wow64().lookUpAndCallIsWow64Process().functionFound);
    EXPECT_EQ (getOsName(), "unknown");
    EXPECT_EQ (getSystemBitness(), "32");
    EXPECT_TRUE (getSystemToolFolder().isEmpty());
    EXPECT_EQ (platform::shellFolders().getTemporaryFolder(), juce::File::getSpecialLocation (juce::File::tempDirectory));
}
