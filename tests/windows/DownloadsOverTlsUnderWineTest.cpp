#include <gtest/gtest.h>

#include "devices/DeviceListDownload.h"
#include "devices/FileFetch.h"
#include "support/DownloadOutcome.h"
#include "support/LogCapture.h"
#include "support/TemporaryFolder.h"

#include <cstdlib>

// Downloads over https through JUCE's Windows network backend (WinINet),
// whose certificate checks use Wine's root store, built from the host's CA
// bundle. The CTest test windows.tls runs these in a process that sees a
// bundle with the test's own authority alone (tests/tls/), with three nginx
// servers (wine/with-tls-nginx.sh).

namespace
{
juce::String variable (const char* name)
{
    const auto* value = std::getenv (name);
    return value != nullptr ? juce::String (value) : juce::String();
}

juce::String addressOn (const char* portVariable, const juce::String& path)
{
    return "https://127.0.0.1:" + variable (portVariable) + "/" + path;
}

class DownloadsOverTlsUnderWine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (variable ("STRATOSET_TLS_TRUSTED_PORT").isNotEmpty()) << "run through the CTest test windows.tls";

        package.setSize (2 * 1024 * 1024 + 3);
        juce::Random (41).fillBitsRandomly (package.getData(), package.getSize());
        const juce::File root (variable ("STRATOSET_TLS_ROOT"));
        root.getChildFile ("pkg").createDirectory();
        root.getChildFile ("pkg/data.bin").replaceWithData (package.getData(), package.getSize());
        root.getChildFile (listName).replaceWithText (listText);
    }

    /** Downloads `address` into `target`; what arrived (nothing when it failed). */
    static juce::MemoryBlock download (const juce::String& address, const juce::File& target, DownloadOutcome& outcome)
    {
        target.deleteFile();
        outcome = DownloadOutcome::of (address, target);
        juce::MemoryBlock arrived;
        target.loadFileAsData (arrived);
        return arrived;
    }

    const juce::String listName = "list_20260509_1.1.16.xml";
    const juce::String listText = "<list pluginWebUrl=\"https://www.example.test/plugins\"><item pid=\"260\" name=\"QX4\"/></list>";
    juce::MemoryBlock package;
    TemporaryFolder work;
};
} // namespace

TEST_F (DownloadsOverTlsUnderWine, TheListAndAPackageArriveFromTheTrustedServer)
{
    const auto listFile = DeviceListDownload::getListFileFor (work.getFolder(), juce::Time::getCurrentTime());
    ASSERT_TRUE (DeviceListDownload::fetch (addressOn ("STRATOSET_TLS_TRUSTED_PORT", listName), listFile));
    EXPECT_EQ (listFile.loadFileAsString(), listText);

    DownloadOutcome outcome;
    const auto arrived = download (addressOn ("STRATOSET_TLS_TRUSTED_PORT", "pkg/data.bin"), work / "data.bin", outcome);
    EXPECT_EQ (outcome.completions, 1) << outcome.error;
    EXPECT_TRUE (arrived == package);
}

TEST_F (DownloadsOverTlsUnderWine, AServerThatCannotBeTrustedGetsNothingThrough)
{
    for (auto* port : { "STRATOSET_TLS_STRANGER_PORT", "STRATOSET_TLS_OTHER_HOST_PORT" })
    {
        SCOPED_TRACE (port);
        LogCapture log;

        const auto listFile = DeviceListDownload::getListFileFor (work.getFolder(), juce::Time::getCurrentTime());
        EXPECT_FALSE (DeviceListDownload::fetch (addressOn (port, listName), listFile));
        EXPECT_FALSE (listFile.exists());

        EXPECT_FALSE (FileFetch::fetchNow (juce::URL (addressOn (port, listName)), work / "copy.xml", { 5000, 5000 }));
        EXPECT_FALSE ((work / "copy.xml").exists());

        DownloadOutcome outcome;
        const auto target = work / "data.bin";
        download (addressOn (port, "pkg/data.bin"), target, outcome);
        EXPECT_EQ (outcome.errors, 1);
        EXPECT_EQ (outcome.error, "Failed to get file size");
        EXPECT_FALSE (target.exists());
    }
}
