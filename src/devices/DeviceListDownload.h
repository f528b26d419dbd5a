#pragma once

#include <juce_core/juce_core.h>

/** Fetching the maker's device list into a local file, as the main
    component does at start and on every retry.

    The transfer runs on JUCE's own download thread; fetch() polls it every
    50 ms and so blocks its caller until the server has answered or the
    connection has failed.
*/
namespace DeviceListDownload
{
/** `temporaryFolder` / ("list_" + `moment` as "%Y%m%d_%H%M%S" + ".xml"). */
juce::File getListFileFor (const juce::File& temporaryFolder, juce::Time moment);

/** The file the download is written to first: `listFile`'s sibling "temp_download.xml". */
juce::File getStagingFileFor (const juce::File& listFile);

/** Downloads `address` into the staging file and, when the server answered
    with a 2xx status and a non-empty body, moves it to `listFile` (replacing
    a file of that name). True when `listFile` then holds a document whose
    root element is `list`: the success is logged and `pluginWebUrl` set
    from the list.

    On failure `pluginWebUrl` keeps its value and neither the staging file
    nor `listFile` is left holding what the server sent: a failed transfer
    or an error status is logged as "MainComponent > Failed to download XML
    file: " + address, a document that is not a list is not logged here.
*/
bool fetch (const juce::String& address, const juce::File& listFile);

/** How long fetch() waits between two looks at the transfer. */
constexpr int pollIntervalMs = 50;
} // namespace DeviceListDownload
