#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "devices/DeviceListDownload.h"
#include "download/ChunkedDownloader.h"
#include "download/DownloadMonitor.h"
#include "download/StatusText.h"
#include "support/DownloadOutcome.h"
#include "support/LogCapture.h"
#include "support/MessageLoop.h"
#include "support/NginxUnderWine.h"
#include "support/TemporaryFolder.h"
#include "support/WindowsFakeInstaller.h"
#include "support/WindowsTestSupport.h"
#include "ui/InterfaceComponent.h"

// Downloads through JUCE's Windows network backend (WinINet) from nginx on
// 127.0.0.1, which wine/with-loopback-nginx.sh starts for the CTest test
// windows.loopback_nginx.

namespace
{
class OverLoopbackNginx : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (NginxUnderWine::isAvailable()) << "run through wine/with-loopback-nginx.sh (CTest: windows.loopback_nginx)";
    }

    /** Puts `data` at `path` below the served folder; returns its address. */
    juce::String serve (const juce::String& path, const juce::MemoryBlock& data) const
    {
        auto file = NginxUnderWine::getDocumentRoot().getChildFile (path);
        file.getParentDirectory().createDirectory();
        file.replaceWithData (data.getData(), data.getSize());
        return NginxUnderWine::getBaseUrl() + "/" + path;
    }

    /** The access-log lines that name `path`. */
    static juce::StringArray requestsFor (const juce::String& path)
    {
        juce::StringArray lines;

        for (const auto& line : NginxUnderWine::readAccessLog())
            if (line.startsWith ("GET /" + path + " "))
                lines.add (line);

        return lines;
    }
};

juce::MemoryBlock randomBytes (size_t size)
{
    juce::Random random (0x57a7);
    juce::MemoryBlock data (size);

    for (size_t i = 0; i < size; ++i)
        data[i] = (char) random.nextInt (256);

    return data;
}

using Outcome = DownloadOutcome;

/** One whole download, its callbacks served by the message loop. */
Outcome download (const juce::String& address, const juce::File& target)
{
    Outcome outcome;
    ChunkedDownloader downloader (juce::URL (address), target, 8);

    outcome.watch (downloader);

    // Generous: only a safety net.
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return ! downloader.isThreadRunning(); },
                                      100000));
    runMessageLoopFor (50);
    return outcome;
}

/** The chunk files beside the target, and any in the temporary folder. */
juce::Array<juce::File> findChunkFiles (const juce::File& besideTarget)
{
    auto files = juce::File::getSpecialLocation (juce::File::tempDirectory).findChildFiles (juce::File::findFiles, false, "*.chunk_*");
    files.addArray (besideTarget.findChildFiles (juce::File::findFiles, false, "*.chunk_*"));
    return files;
}
} // namespace

class ChunkedDownloaderOverLoopbackNginx : public OverLoopbackNginx
{
};

TEST_F (ChunkedDownloaderOverLoopbackNginx, PackageOfSomeMegabytesArrivesByteForByteOverEightRanges)
{
    cancelRequested = false;

    // Not a multiple of eight: the last range takes the remainder.
    const auto data = randomBytes (3 * 1024 * 1024 + 12345);
    const auto address = serve ("packages/qx4-driver.zip", data);

    TemporaryFolder folder;
    const auto target = folder / "QX4 Driver.zip";
    const auto chunkFilesBefore = findChunkFiles (folder.getFolder()).size();

    LogCapture log;
    const auto outcome = download (address, target);
    ASSERT_EQ (outcome.errors, 0) << outcome.error;
    EXPECT_EQ (outcome.completions, 1);
    EXPECT_EQ (outcome.progressAtCompletion, std::make_pair ((juce::int64) data.getSize(), (juce::int64) data.getSize()));

    juce::MemoryBlock arrived;
    ASSERT_TRUE (target.loadFileAsData (arrived));
    EXPECT_EQ (arrived.getSize(), data.getSize());
    EXPECT_TRUE (arrived == data) << "the ranges are joined in order, byte for byte";
    EXPECT_EQ (findChunkFiles (folder.getFolder()).size(), chunkFilesBefore) << "the chunk files are gone after the merge";

    // The size probe, then every range once, each answered with 206 and
    // exactly its bytes.
    auto requests = requestsFor ("packages/qx4-driver.zip");
    ASSERT_EQ (requests.size(), 9) << requests.joinIntoString ("\n");
    EXPECT_TRUE (requests[0].startsWith ("GET /packages/qx4-driver.zip 200 \"-\" ")) << requests[0];
    requests.remove (0);

    juce::StringArray expected;

    for (const auto& range : ChunkedDownloader::planRanges ((juce::int64) data.getSize(), 8))
        expected.add ("GET /packages/qx4-driver.zip 206 \"bytes=" + juce::String (range.start) + "-" + juce::String (range.end) + "\" " + juce::String (range.getLength()));

    requests.sort (false);
    expected.sort (false);
    EXPECT_EQ (requests, expected);
    EXPECT_EQ (log.countContaining ("Retrying chunk"), 0);
}

TEST_F (ChunkedDownloaderOverLoopbackNginx, MissingPackageIsReportedAsAnError)
{
    cancelRequested = false;

    TemporaryFolder folder;
    const auto target = folder / "missing.zip";

    LogCapture log;
    const auto outcome = download (NginxUnderWine::getBaseUrl() + "/packages/missing.zip", target);
    EXPECT_EQ (outcome.completions, 0);
    EXPECT_EQ (outcome.errors, 1);
    EXPECT_EQ (outcome.error, "Failed to get file size");
    EXPECT_TRUE (log.contains ("<ChunkedDownloader> Failed to get file size, status code: 404"));
    EXPECT_TRUE (log.contains ("<ChunkedDownloader> Download error: Failed to get file size"));
    EXPECT_FALSE (target.exists());

    const auto requests = requestsFor ("packages/missing.zip");
    ASSERT_EQ (requests.size(), 1) << "no range is asked for";
    EXPECT_TRUE (requests[0].startsWith ("GET /packages/missing.zip 404 \"-\" "));
}

//==============================================================================
class DeviceListOverLoopbackNginx : public OverLoopbackNginx
{
};

TEST_F (DeviceListOverLoopbackNginx, ListArrivesAndAnErrorPageIsNoList)
{
    juce::MemoryBlock list;
    ASSERT_TRUE (juce::File (juce::String (STRATOSET_TEST_DATA_DIR)).getChildFile ("device-list.xml").loadFileAsData (list));
    const auto address = serve ("list_20260509_1.1.16.xml", list);

    TemporaryFolder folder;
    const auto listFile = DeviceListDownload::getListFileFor (folder.getFolder(), juce::Time::getCurrentTime());

    LogCapture log;
    ASSERT_TRUE (DeviceListDownload::fetch (address, listFile));
    juce::MemoryBlock arrived;
    EXPECT_TRUE (listFile.loadFileAsData (arrived) && arrived == list);
    EXPECT_TRUE (log.contains ("MainComponent > XML file: " + address + " successfully downloaded to " + listFile.getFullPathName()));

    // WinINet delivers the error page like any answer: its status decides.
    const auto missing = NginxUnderWine::getBaseUrl() + "/list_missing.xml";
    const auto otherFile = folder / "list_other.xml";
    EXPECT_FALSE (DeviceListDownload::fetch (missing, otherFile));
    EXPECT_TRUE (log.contains ("MainComponent > Failed to download XML file: " + missing));
    EXPECT_FALSE (otherFile.exists());
    EXPECT_FALSE (DeviceListDownload::getStagingFileFor (otherFile).exists());
}

//==============================================================================
class PictureCacheOverLoopbackNginx : public OverLoopbackNginx
{
};

TEST_F (PictureCacheOverLoopbackNginx, DevicePictureIsKeptInTheMachineWideFolderAndAnErrorPageKeepsTheOldCopy)
{
    const auto folder = InterfaceComponent::getPictureCacheFolder();
    EXPECT_EQ (folder.getFullPathName(), "C:\\ProgramData\\Velmora\\StratosetDriver");
    EXPECT_TRUE (folder.isDirectory());

    juce::Image picture (juce::Image::RGB, 400, 200, true);
    picture.clear (picture.getBounds(), juce::Colours::red);
    juce::MemoryOutputStream png;
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (picture, png));

    const auto name = "qx4-" + juce::Uuid().toString() + ".png";
    const auto address = serve ("pictures/" + name, png.getMemoryBlock());
    const auto cached = folder.getChildFile (name);

    LogCapture log;
    InterfaceComponent ui;
    ui.setDeviceData ({ "QX4" }, {}, {}, { { "QX4", address } });

    const auto image = ui.loadImage ("QX4");
    EXPECT_EQ (image.getWidth(), 400);
    EXPECT_EQ (image.getPixelAt (10, 10), juce::Colours::red);
    EXPECT_TRUE (cached.existsAsFile());
    EXPECT_FALSE (folder.getChildFile ("temp_download").exists());
    EXPECT_TRUE (log.contains ("<InterfaceComponent::loadImage> Loaded image: " + name));

    // The picture is gone from the server: the 404 page must not replace it.
    NginxUnderWine::getDocumentRoot().getChildFile ("pictures/" + name).deleteFile();
    juce::ImageCache::releaseUnusedImages();
    const auto sizeBefore = cached.getSize();
    const auto again = ui.loadImage ("QX4");
    EXPECT_TRUE (log.contains ("<InterfaceComponent::loadImage> download failed: " + address));
    EXPECT_EQ (cached.getSize(), sizeBefore);
    EXPECT_EQ (again.getWidth(), 400);

    cached.deleteFile();
}

//==============================================================================
class DownloadMonitorOverLoopbackNginx : public OverLoopbackNginx
{
};

TEST_F (DownloadMonitorOverLoopbackNginx, ZipPackageIsFetchedUnpackedAndItsInstallerAnsweredToTheEnd)
{
    // The package holds the installer for each architecture; the prefix is a
    // 64-bit Windows.
    juce::MemoryBlock installer;
    ASSERT_TRUE (WindowsTestSupport::getProgramBesideRunner ("fake_installer.exe").loadFileAsData (installer));

    juce::ZipFile::Builder builder;

    for (const auto* folder : { "x86", "x64" })
        builder.addEntry (new juce::MemoryInputStream (installer, false), 9, juce::String ("Package/") + folder + "/QX4 Tessel Max Setup.success.exe", juce::Time::getCurrentTime());

    juce::MemoryOutputStream zip;
    ASSERT_TRUE (builder.writeToStream (zip, nullptr));
    const auto address = serve ("tesselmax/TesselMax 2.1.zip", zip.getMemoryBlock());

    TemporaryFolder folder;
    WindowsFakeInstaller::EndGuard guard (folder.getFolder());
    const auto workFolder = folder / "VelmoraTmp";
    ASSERT_TRUE (workFolder.createDirectory());

    // A Tessel Max package of region cn, with its driver: the installer shows dialogs.
    cancelRequested = false;
    isNotQt = true;
    noDriverIncluded = false;
    isEnQx3 = false;
    isOldKeyWeave = false;

    Selection selection;
    selection.deviceName = "QX4";
    selection.softwareName = "Tessel Max";
    selection.region = "cn";
    selection.language = "cn";
    selection.url = address.replace (" ", "%20");

    LogCapture log;
    juce::StringArray outcomes;
    auto monitor = std::make_unique<DownloadMonitor> (selection, workFolder.getFullPathName(), [&] (const juce::String& status)
                                                      {
                                                          if (! StatusText::isProgress (status))
                                                              outcomes.add (status); });

    // Generous: only a safety net.
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return outcomes.size() >= 2; },
                                      60000))
        << outcomes.joinIntoString ("\n");
    EXPECT_EQ (outcomes, juce::StringArray (StatusText::downloaded, StatusText::installed));
    EXPECT_TRUE (log.contains ("<InstallMonitor::analyseWindow> clicked OK button"));
    EXPECT_TRUE (log.contains ("<InstallMonitor::analyseWindow> clicked Install button"));
    EXPECT_TRUE (log.contains ("<InstallMonitor::analyseWindow> clicked exit button"));

    ASSERT_TRUE (WindowsFakeInstaller::waitForInstallersToEnd());
    const auto unpacked = workFolder.getChildFile ("TesselMax%202.1\\Package");
    const auto runs = WindowsFakeInstaller::readRuns (unpacked.getChildFile ("x64\\QX4 Tessel Max Setup.success.exe"));
    ASSERT_EQ (runs.size(), 1u);
    EXPECT_EQ (runs[0].arguments, juce::StringArray ("/S", "/allusers"));
    EXPECT_EQ (runs[0].presses, juce::StringArray ("OK", "INSTALL", "E&xit"));
    EXPECT_TRUE (WindowsFakeInstaller::readRuns (unpacked.getChildFile ("x86\\QX4 Tessel Max Setup.success.exe")).empty()) << "the 32-bit installer on a 64-bit Windows";

    monitor.reset();
}
