#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "devices/DeviceListDownload.h"
#include "support/ClosedLoopbackPort.h"
#include "support/FaultInjectingServer.h"
#include "support/LogCapture.h"
#include "support/LoopbackNginx.h"
#include "support/TemporaryFolder.h"

namespace
{
const juce::String listText = "<?xml version=\"1.0\"?>\n<list driverBaseUrl=\"https://d.test\" pluginWebUrl=\"https://www.example.test/plugins\">\n"
                              "  <item pid=\"260\" name=\"QX4\" type=\"qx4\" os=\"win\" file=\"q.zip\"/>\n</list>\n";

/** The device list fetched from nginx on 127.0.0.1 into a temporary folder. */
class DeviceListDownloadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (server.isRunning());
        pluginWebUrl = "left from before";
    }

    bool fetch (const juce::String& path)
    {
        return DeviceListDownload::fetch (server.urlFor (path), listFile);
    }

    juce::String failureLine (const juce::String& path) const
    {
        return "MainComponent > Failed to download XML file: " + server.urlFor (path);
    }

    bool leftNothingBehind() const
    {
        return ! listFile.exists() && ! DeviceListDownload::getStagingFileFor (listFile).exists();
    }

    TemporaryFolder documents, temp;
    LoopbackNginx server { documents.getFolder() };
    const juce::File listFile = DeviceListDownload::getListFileFor (temp.getFolder(), juce::Time::getCurrentTime());
    LogCapture log;
};
} // namespace

TEST_F (DeviceListDownloadTest, NamesEachListFileAfterTheMomentOfTheCall)
{
    const auto file = DeviceListDownload::getListFileFor (temp.getFolder(), juce::Time (2026, 11, 7, 9, 54, 12));

    EXPECT_EQ (file, temp / "list_20261207_095412.xml");
    EXPECT_EQ (DeviceListDownload::getStagingFileFor (file), temp / "temp_download.xml");
}

TEST_F (DeviceListDownloadTest, StoresAListAndPublishesItsPluginPage)
{
    documents.write ("list_20260509_1.1.16.xml", listText);

    ASSERT_TRUE (fetch ("/list_20260509_1.1.16.xml"));
    EXPECT_EQ (listFile.loadFileAsString(), listText);
    EXPECT_FALSE (DeviceListDownload::getStagingFileFor (listFile).exists());
    EXPECT_EQ (pluginWebUrl, "https://www.example.test/plugins");
    EXPECT_EQ (log.getLines(), juce::StringArray ("MainComponent > XML file: " + server.urlFor ("/list_20260509_1.1.16.xml") + " successfully downloaded to " + listFile.getFullPathName()));

    // A list without the attribute clears the page; a root tag in capitals is a list too.
    documents.write ("plain.xml", "<LIST><item pid=\"260\"/></LIST>");
    EXPECT_TRUE (fetch ("plain.xml"));
    EXPECT_EQ (pluginWebUrl, "");
}

TEST_F (DeviceListDownloadTest, FollowsARedirectToTheList)
{
    // nginx answers "/lists" with a 301 to "/lists/", which serves the index page.
    documents.write ("lists/index.html", listText);

    EXPECT_TRUE (fetch ("lists"));
    EXPECT_EQ (listFile.loadFileAsString(), listText);
    EXPECT_TRUE (server.getAccessLog()[0].startsWith ("GET /lists 301 ")) << server.getAccessLog().joinIntoString ("\n");
}

TEST_F (DeviceListDownloadTest, FollowsARedirectToAnotherServerAndGivesUpOnALoop)
{
    documents.write ("list_20260509_1.1.16.xml", listText);
    FaultInjectingServer redirector (documents.getFolder());
    ASSERT_TRUE (redirector.isRunning());

    const auto moved = redirector.urlFor ("redirect", "list_20260509_1.1.16.xml", "to=" + server.getBaseUrl());
    ASSERT_TRUE (DeviceListDownload::fetch (moved, listFile));
    EXPECT_EQ (listFile.loadFileAsString(), listText);
    EXPECT_TRUE (server.getAccessLog().joinIntoString ("\n").contains ("GET /list_20260509_1.1.16.xml 200 "));

    const auto loop = redirector.urlFor ("redirect", "list_20260509_1.1.16.xml");
    const auto start = juce::Time::getMillisecondCounterHiRes();
    EXPECT_FALSE (DeviceListDownload::fetch (loop, listFile));
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 15000.0);
    EXPECT_TRUE (log.contains ("MainComponent > Failed to download XML file: " + loop));
    EXPECT_FALSE (DeviceListDownload::getStagingFileFor (listFile).exists());
}

TEST_F (DeviceListDownloadTest, RejectsEmptyAnswersAndErrorStatuses)
{
    documents.write ("empty.xml", "");
    documents.write ("folder-without-index/readme.txt", "not listed");

    for (auto path : { "empty.xml", "missing.xml", "folder-without-index/" })
    {
        SCOPED_TRACE (path);
        log.clear();

        EXPECT_FALSE (fetch (path));
        EXPECT_EQ (log.getLines(), juce::StringArray (failureLine (path)));
        EXPECT_TRUE (leftNothingBehind()) << "an error page never lands in the list file";
        EXPECT_EQ (pluginWebUrl, "left from before");
    }

    const auto accessLog = server.getAccessLog().joinIntoString ("\n");
    EXPECT_TRUE (accessLog.contains ("GET /missing.xml 404 ")) << accessLog;
    EXPECT_TRUE (accessLog.contains ("GET /folder-without-index/ 403 ")) << accessLog;
}

TEST_F (DeviceListDownloadTest, RejectsDocumentsThatAreNoListWithoutAMessage)
{
    documents.write ("devices.xml", "<?xml version=\"1.0\"?>\n<devices pluginWebUrl=\"https://x.test\"><item pid=\"260\"/></devices>\n");
    documents.write ("page.html", "<html><body>Maintenance<br></body></html>");
    documents.write ("broken.xml", "<list pluginWebUrl=\"https://x.test\"><item pid=\"260\">");

    for (auto path : { "devices.xml", "page.html", "broken.xml" })
    {
        SCOPED_TRACE (path);

        EXPECT_FALSE (fetch (path));
        EXPECT_TRUE (leftNothingBehind()) << "only a list may stay under the list file's name";
        EXPECT_EQ (pluginWebUrl, "left from before");
    }

    EXPECT_TRUE (log.getLines().isEmpty()) << log.getLines().joinIntoString ("\n");
}

TEST_F (DeviceListDownloadTest, ReportsAServerThatIsNotThere)
{
    const ClosedLoopbackPort closed;
    ASSERT_GT (closed.getPort(), 0);
    const auto address = closed.getBaseUrl() + "/list_20260509_1.1.16.xml";

    EXPECT_FALSE (DeviceListDownload::fetch (address, listFile));
    EXPECT_EQ (log.getLines(), juce::StringArray ("MainComponent > Failed to download XML file: " + address));
    EXPECT_TRUE (leftNothingBehind());
}

TEST_F (DeviceListDownloadTest, ASecondCallWithTheSameNameReplacesTheFirstsList)
{
    documents.write ("list.xml", listText);
    ASSERT_TRUE (fetch ("list.xml"));

    // A failed second call leaves the first one's list alone ...
    EXPECT_FALSE (fetch ("gone.xml"));
    EXPECT_EQ (listFile.loadFileAsString(), listText);

    // ... a successful one takes its place.
    const juce::String newer = "<list pluginWebUrl=\"https://www.example.test/newer\"/>";
    documents.write ("list.xml", newer);
    ASSERT_TRUE (fetch ("list.xml"));
    EXPECT_EQ (listFile.loadFileAsString(), newer);
    EXPECT_EQ (pluginWebUrl, "https://www.example.test/newer");
    EXPECT_EQ (temp.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST_F (DeviceListDownloadTest, RecreatesAMissingTemporaryFolder)
{
    documents.write ("list.xml", listText);
    const auto elsewhere = (temp / "gone/Temp").getChildFile (listFile.getFileName());

    EXPECT_TRUE (DeviceListDownload::fetch (server.urlFor ("list.xml"), elsewhere));
    EXPECT_EQ (elsewhere.loadFileAsString(), listText);
}
