#include <gtest/gtest.h>

#include "devices/DeploymentSettings.h"
#include "devices/ServerAddresses.h"

using ServerAddresses::getDeviceListAddress;

namespace
{
const DeploymentSettings servers { "https://download.example.test", "https://bucket.example.test:8443", "http://mirror.example.test" };
} // namespace

TEST (ServerAddresses, ChooseTheDeviceListAddress)
{
    // The cn region fetches the cloud list's file from the download server.
    EXPECT_EQ (getDeviceListAddress (servers, false, "cn", "win10"), "https://download.example.test/list_20260509_1.1.16.xml");
    EXPECT_EQ (getDeviceListAddress (servers, false, "cn", "win11"), "https://download.example.test/list_20260509_1.1.16.xml");
    EXPECT_EQ (getDeviceListAddress (servers, false, "cn", "unknown"), "https://download.example.test/list_20260509_1.1.16.xml");
    EXPECT_EQ (getDeviceListAddress (servers, false, "en", "win10"), "https://bucket.example.test:8443/velmora/release/software/list_20260509_1.1.16.xml");
    EXPECT_EQ (getDeviceListAddress (servers, false, "CN", "win10"), "https://bucket.example.test:8443/velmora/release/software/list_20260509_1.1.16.xml");

    // Windows 7 takes plain HTTP and keeps the cloud host, in every region.
    EXPECT_EQ (getDeviceListAddress (servers, false, "cn", "win7"), "http://bucket.example.test:8443/velmora/release/software/list_20260509_1.1.16.xml");
    EXPECT_EQ (getDeviceListAddress (servers, false, "en", "win7"), "http://bucket.example.test:8443/velmora/release/software/list_20260509_1.1.16.xml");

    // The mirror's address holds no cloud base to replace.
    EXPECT_EQ (getDeviceListAddress (servers, true, "cn", "win10"), "http://mirror.example.test/list_0926.xml");
    EXPECT_EQ (getDeviceListAddress (servers, true, "en", "win7"), "http://mirror.example.test/list_0926.xml");
    EXPECT_EQ (getDeviceListAddress ({ "https://d.test", "https://c.test", "https://m.test" }, true, "cn", "win7"), "http://m.test/list_0926.xml");
}

TEST (DeploymentSettings, AScopedOverrideWinsUntilItEnds)
{
    const auto compiledIn = DeploymentSettings::getCompiledIn();

    {
        const ScopedDeploymentSettings outer (servers);
        EXPECT_EQ (getDeploymentSettings().cloudServer, servers.cloudServer);

        {
            const ScopedDeploymentSettings inner ("http://127.0.0.1:8080");
            const auto settings = getDeploymentSettings();
            EXPECT_EQ (settings.downloadServer, "http://127.0.0.1:8080");
            EXPECT_EQ (settings.cloudServer, "http://127.0.0.1:8080");
            EXPECT_EQ (settings.chinaMirrorServer, "http://127.0.0.1:8080");
        }

        EXPECT_EQ (getDeploymentSettings().downloadServer, servers.downloadServer);
    }

    EXPECT_EQ (getDeploymentSettings().downloadServer, compiledIn.downloadServer);
}
