#include <gtest/gtest.h>

#include "support/DownloadOutcome.h"
#include "support/LogCapture.h"
#include "support/NginxUnderWine.h"
#include "support/TemporaryFolder.h"
#include "support/WindowsTestSupport.h"

// Redirects and a package replaced during its download, through WinINet:
// the CTest test windows.misbehaving_server runs these with the project's
// fault-injecting server (wine/with-fault-server.sh) and nginx
// (wine/with-loopback-nginx.sh) on 127.0.0.1.

namespace
{
juce::String variable (const char* name) { return WindowsTestSupport::getEnvironmentVariable (name); }

class OverMisbehavingServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (variable ("STRATOSET_FAULT_PORT").isNotEmpty() && NginxUnderWine::isAvailable())
            << "run through the CTest test windows.misbehaving_server";

        package.setSize (8 * 6000 + 5);
        juce::Random (53).fillBitsRandomly (package.getData(), package.getSize());

        for (const auto& root : { faultRoot(), NginxUnderWine::getDocumentRoot() })
        {
            root.getChildFile ("pkg").createDirectory();
            root.getChildFile ("pkg/moved.bin").replaceWithData (package.getData(), package.getSize());
        }
    }

    static juce::File faultRoot() { return juce::File (variable ("STRATOSET_FAULT_ROOT")); }

    static juce::String faultUrl (const juce::String& mode, const juce::String& path, const juce::String& query = {})
    {
        return "http://127.0.0.1:" + variable ("STRATOSET_FAULT_PORT") + "/" + mode + "/" + path + (query.isEmpty() ? "" : "?" + query);
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

    juce::MemoryBlock package;
    TemporaryFolder work;
};
} // namespace

TEST_F (OverMisbehavingServer, RedirectedPackageComesWholeFromWhereItLeads)
{
    const juce::String moves[] = { "to=" + NginxUnderWine::getBaseUrl(), "to=/ok" };

    for (const auto& query : moves)
    {
        SCOPED_TRACE (query);
        LogCapture log;
        DownloadOutcome outcome;
        const auto arrived = download (faultUrl ("redirect", "pkg/moved.bin", query), work / "moved.bin", outcome);

        EXPECT_EQ (outcome.completions, 1) << outcome.error;
        EXPECT_TRUE (arrived == package);
        EXPECT_EQ (log.countContaining ("<ChunkedDownloader> Redirected to: "), 1);
    }

    int rangesAtNginx = 0;

    for (const auto& line : NginxUnderWine::readAccessLog())
        if (line.startsWith ("GET /pkg/moved.bin 206 \"bytes="))
            ++rangesAtNginx;

    EXPECT_EQ (rangesAtNginx, 8);

    DownloadOutcome loop;
    download (faultUrl ("redirect", "pkg/moved.bin"), work / "loop.bin", loop);
    EXPECT_EQ (loop.error, "Failed to get file size");
    EXPECT_FALSE ((work / "loop.bin").exists());
}

TEST_F (OverMisbehavingServer, PackageReplacedDuringItsDownloadIsNeverMixed)
{
    juce::MemoryBlock replaced (package);

    for (size_t i = 0; i < replaced.getSize(); ++i)
        replaced[i] = (char) (replaced[i] ^ 0x5A);

    for (const auto* query : { "swap=3", "swap=3&every=1" })
    {
        SCOPED_TRACE (query);
        faultRoot().getChildFile ("pkg/build.bin").replaceWithData (package.getData(), package.getSize());

        LogCapture log;
        DownloadOutcome outcome;
        const auto arrived = download (faultUrl ("swap", "pkg/build.bin", query), work / "build.bin", outcome);

        EXPECT_EQ (log.count ("<ChunkedDownloader> The file changed on the server during the download, downloading it again"), 1);

        if (juce::String (query).contains ("every"))
        {
            EXPECT_EQ (outcome.error, "The file changed on the server during the download");
            EXPECT_FALSE ((work / "build.bin").exists());
        }
        else
        {
            EXPECT_EQ (outcome.completions, 1) << outcome.error;
            EXPECT_TRUE (arrived == replaced) << "the new build, whole";
        }
    }
}
