#include "devices/DeviceListDownload.h"

#include "base/ProcessState.h"
#include "devices/DeviceListFormat.h"

namespace DeviceListDownload
{
juce::File getListFileFor (const juce::File& temporaryFolder, juce::Time moment)
{
    return temporaryFolder.getChildFile ("list_" + moment.formatted ("%Y%m%d_%H%M%S") + ".xml");
}

juce::File getStagingFileFor (const juce::File& listFile)
{
    return listFile.getSiblingFile ("temp_download.xml");
}

namespace
{
    juce::File prepareStagingFileFor (const juce::File& listFile)
    {
        const auto staging = getStagingFileFor (listFile);

        // A host whose temporary folder is missing gets it back rather than no list.
        staging.getParentDirectory().createDirectory();
        return staging;
    }
} // namespace

std::unique_ptr<FileFetch> startFetch (const juce::String& address, const juce::File& listFile)
{
    return std::make_unique<FileFetch> (juce::URL (address), prepareStagingFileFor (listFile), listLimits);
}

std::optional<juce::String> finishFetch (bool arrived, const juce::String& address, const juce::File& listFile)
{
    const auto staging = getStagingFileFor (listFile);

    // An error answer, an empty one or one cut short never arrives.
    if (! arrived || ! staging.existsAsFile() || staging.getSize() == 0)
    {
        juce::Logger::writeToLog ("MainComponent > Failed to download XML file: " + address);
        staging.deleteFile();
        return std::nullopt;
    }

    if ((listFile.exists() && ! listFile.deleteFile()) || ! staging.moveFileTo (listFile))
    {
        staging.deleteFile();
        return std::nullopt;
    }

    const auto root = DeviceListFormat::parseListFile (listFile);

    if (root == nullptr)
    {
        // Nothing but a list may stay under the list file's name.
        listFile.deleteFile();
        return std::nullopt;
    }

    juce::Logger::writeToLog ("MainComponent > XML file: " + address + " successfully downloaded to " + listFile.getFullPathName());
    return DeviceListFormat::readAttribute (*root, "pluginWebUrl");
}

bool fetch (const juce::String& address, const juce::File& listFile)
{
    const auto arrived = FileFetch::fetchNow (juce::URL (address), prepareStagingFileFor (listFile), listLimits);
    const auto page = finishFetch (arrived, address, listFile);

    if (! page.has_value())
        return false;

    pluginWebUrl = *page;
    return true;
}
} // namespace DeviceListDownload
