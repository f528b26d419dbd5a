#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "core/MainComponent.h"
#include "devices/DeploymentSettings.h"
#include "devices/DeviceListDownload.h"
#include "devices/FileFetch.h"
#include "download/ChunkedDownloader.h"
#include "download/DownloadMonitor.h"
#include "download/StatusText.h"
#include "support/DownloadOutcome.h"
#include "support/FakeInstaller.h"
#include "support/LogCapture.h"
#include "support/LoopbackNginx.h"
#include "support/MessageLoop.h"
#include "support/SimulatedHostFolder.h"

#include <cstdlib>

// These tests run under tests/tls/with-test-certificates.sh, in a process
// that trusts the test's own certificate authority and no other.

namespace
{
const juce::String listName = "list_20260509_1.1.16.xml";
const juce::String listText = R"(<list pluginWebUrl="https://www.example.test/plugins">
  <item pid="260" name="QX4" type="pic" file="pictures/qx4.png"/>
</list>)";

juce::File certificateFolder()
{
    const auto* folder = std::getenv ("STRATOSET_TLS_DIR");
    return folder != nullptr ? juce::File (folder) : juce::File();
}

LoopbackNginx::Certificate certificateNamed (const juce::String& name)
{
    const auto folder = certificateFolder();
    return { folder.getChildFile (name + ".pem"), folder.getChildFile (name + ".key") };
}

/** The maker's servers on 127.0.0.1 over TLS, three times: with a
    certificate from the trusted authority, with one from an authority
    nobody trusts, and with one of the trusted authority made out for
    another host.
*/
class DownloadsOverTls : public ::testing::Test
{
protected:
    DownloadsOverTls()
    {
        host.setWindowsVersion ("10.0.19045");
        host.setWow64 (true);
        FakeInstaller::signAsMaker (host.getFolder());
        workFolder.createDirectory();

        site.write (listName, listText);
        package.setSize (3 * 1024 * 1024 + 5);
        juce::Random (31).fillBitsRandomly (package.getData(), package.getSize());
        (site / "pkg").createDirectory();
        (site / "pkg/data.bin").replaceWithData (package.getData(), package.getSize());
        FakeInstaller::writeArchive (site / "tesselmax/TesselMax 2.1.zip", "QX4 Tessel Max Setup.success.exe");

        juce::Image picture (juce::Image::RGB, 40, 30, true);
        (site / "pictures").createDirectory();
        juce::FileOutputStream png (site / "pictures/qx4.png");
        juce::PNGImageFormat().writeImageToStream (picture, png);
    }

    void SetUp() override
    {
        ASSERT_TRUE (certificateFolder().isDirectory()) << "run under tests/tls/with-test-certificates.sh";
        ASSERT_TRUE (trusted.isRunning() && stranger.isRunning() && otherHost.isRunning());
        ASSERT_TRUE (trusted.getBaseUrl().startsWith ("https://"));
    }

    SimulatedHostFolder host;
    FakeInstaller::EndGuard endGuard { host.getFolder() };
    juce::File workFolder { host / "Temp/VelmoraTmp" };
    TemporaryFolder site, work;
    juce::MemoryBlock package;
    LoopbackNginx trusted { site.getFolder(), certificateNamed ("server") };
    LoopbackNginx stranger { site.getFolder(), certificateNamed ("untrusted") };
    LoopbackNginx otherHost { site.getFolder(), certificateNamed ("other-host") };
};
} // namespace

TEST_F (DownloadsOverTls, TheListAPictureAndAPackageArriveByteForByte)
{
    const auto listFile = DeviceListDownload::getListFileFor (work.getFolder(), juce::Time::getCurrentTime());
    ASSERT_TRUE (DeviceListDownload::fetch (trusted.urlFor (listName), listFile));
    EXPECT_EQ (listFile.loadFileAsString(), listText);

    const auto picture = work / "qx4.png";
    ASSERT_TRUE (FileFetch::fetchNow (juce::URL (trusted.urlFor ("pictures/qx4.png")), picture, { 5000, 5000 }));
    EXPECT_EQ (picture.getSize(), (site / "pictures/qx4.png").getSize());
    EXPECT_TRUE (juce::ImageFileFormat::loadFrom (picture).isValid());

    const auto target = work / "data.bin";
    const auto outcome = DownloadOutcome::of (trusted.urlFor ("pkg/data.bin"), target);

    EXPECT_EQ (outcome.completions, 1) << outcome.error;
    juce::MemoryBlock arrived;
    EXPECT_TRUE (target.loadFileAsData (arrived) && arrived == package);

    int ranges = 0;

    for (const auto& line : trusted.getAccessLog())
        if (line.startsWith ("GET /pkg/data.bin 206 \"bytes="))
            ++ranges;

    EXPECT_EQ (ranges, 8);
}

TEST_F (DownloadsOverTls, AServerThatCannotBeTrustedGetsNothingThrough)
{
    for (auto* server : { &stranger, &otherHost })
    {
        SCOPED_TRACE (server == &stranger ? "an authority nobody trusts" : "made out for another host");
        LogCapture log;

        const auto listFile = DeviceListDownload::getListFileFor (work.getFolder(), juce::Time::getCurrentTime());
        EXPECT_FALSE (DeviceListDownload::fetch (server->urlFor (listName), listFile));
        EXPECT_TRUE (log.contains ("MainComponent > Failed to download XML file: " + server->urlFor (listName)));
        EXPECT_FALSE (listFile.exists());

        EXPECT_FALSE (FileFetch::fetchNow (juce::URL (server->urlFor ("pictures/qx4.png")), work / "qx4.png", { 5000, 5000 }));
        EXPECT_FALSE ((work / "qx4.png").exists());

        // A package: "Download error", nothing left in the work folder, nothing started.
        Selection selection;
        selection.deviceName = "QX4";
        selection.softwareName = "Tessel Max";
        selection.region = "cn";
        selection.language = "cn";
        selection.url = server->urlFor ("tesselmax/TesselMax%202.1.zip");

        juce::StringArray statuses;
        lastInstallerPath = juce::String();
        {
            DownloadMonitor monitor (selection, workFolder.getFullPathName(), [&statuses] (const juce::String& status)
                                     { statuses.add (status); });
            ASSERT_TRUE (runMessageLoopUntil ([&]
                                              { return statuses.contains (StatusText::downloadError); },
                                              30000));
            runMessageLoopFor (600);
        }

        EXPECT_TRUE (workFolder.findChildFiles (juce::File::findFilesAndDirectories, true).isEmpty());
        EXPECT_TRUE (lastInstallerPath.get().isEmpty());
        EXPECT_FALSE (statuses.contains (StatusText::downloaded));
        EXPECT_EQ (server->getAccessLog().size(), 0) << "no request got through the handshake";
    }
}

TEST_F (DownloadsOverTls, TheWindowSaysServerErrorForAServerThatCannotBeTrusted)
{
    for (auto* server : { &trusted, &stranger })
    {
        SCOPED_TRACE (server->getBaseUrl());
        LogCapture log;
        ScopedDeploymentSettings servers { server->getBaseUrl() };
        juce::DocumentWindow window { "Stratoset 1.1.17", juce::Colours::white, 0 };
        auto main = std::make_unique<MainComponent>();
        window.setContentNonOwned (main.get(), true);
        window.setVisible (true);

        const auto notice = [&]
        {
            auto* ui = main->getChildComponent (0);
            auto* label = ui != nullptr ? dynamic_cast<juce::Label*> (ui->findChildWithID ("noticeLabel")) : nullptr;
            return label != nullptr && label->isVisible() ? label->getText() : juce::String();
        };

        if (server == &trusted)
        {
            // The list's first fetch runs in the background; a tick takes its end.
            EXPECT_TRUE (runMessageLoopUntil ([]
                                              { return deviceListValid.load(); }));
            runMessageLoopFor (600);
            EXPECT_TRUE (notice().isEmpty());
        }
        else
        {
            EXPECT_FALSE (deviceListValid);
            ASSERT_TRUE (runMessageLoopUntil ([&]
                                              { return notice() == main->getLocalisedText ("reconnect"); }));
            EXPECT_TRUE (log.contains ("MainComponent > Failed to download XML file: " + server->urlFor (listName)));
        }

        window.clearContentComponent();
        main.reset();
        runMessageLoopFor (50);
    }
}
