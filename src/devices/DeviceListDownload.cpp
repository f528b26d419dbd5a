#include "devices/DeviceListDownload.h"

#include "core/ProcessState.h"
#include "devices/DeviceListFormat.h"

namespace DeviceListDownload
{
namespace
{
    bool isSuccessStatus (int statusCode)
    {
        return statusCode >= 200 && statusCode < 300;
    }

    /** Runs the transfer to its end; true when it delivered a 2xx answer
            without an error. The task is gone when this returns.
        */
    bool download (const juce::String& address, const juce::File& target)
    {
        auto task = juce::URL (address).downloadToFile (target, juce::URL::DownloadTaskOptions());

        if (task == nullptr)
            return false;

        while (! task->isFinished())
            juce::Thread::sleep (pollIntervalMs);

        // The task reports a 404 page or any other error answer as a normal
        // download: its status decides.
        return ! task->hadError() && isSuccessStatus (task->statusCode());
    }
} // namespace

juce::File getListFileFor (const juce::File& temporaryFolder, juce::Time moment)
{
    return temporaryFolder.getChildFile ("list_" + moment.formatted ("%Y%m%d_%H%M%S") + ".xml");
}

juce::File getStagingFileFor (const juce::File& listFile)
{
    return listFile.getSiblingFile ("temp_download.xml");
}

bool fetch (const juce::String& address, const juce::File& listFile)
{
    const auto staging = getStagingFileFor (listFile);

    // A host whose temporary folder is missing gets it back rather than no list.
    staging.getParentDirectory().createDirectory();

    if (! download (address, staging) || ! staging.existsAsFile() || staging.getSize() == 0)
    {
        juce::Logger::writeToLog ("MainComponent > Failed to download XML file: " + address);
        staging.deleteFile();
        return false;
    }

    if ((listFile.exists() && ! listFile.deleteFile()) || ! staging.moveFileTo (listFile))
    {
        staging.deleteFile();
        return false;
    }

    const auto root = DeviceListFormat::parseListFile (listFile);

    if (root == nullptr)
    {
        // Nothing but a list may stay under the list file's name.
        listFile.deleteFile();
        return false;
    }

    juce::Logger::writeToLog ("MainComponent > XML file: " + address + " successfully downloaded to " + listFile.getFullPathName());
    pluginWebUrl = DeviceListFormat::readAttribute (*root, "pluginWebUrl");
    return true;
}
} // namespace DeviceListDownload
