#pragma once

#include <juce_core/juce_core.h>

#include <optional>

#include "devices/FileFetch.h"

/** Fetching the maker's device list into a local file, as the main
    component does at start and on every retry.

    The transfer runs on a FileFetch thread within listLimits: fetch() waits
    for it (before the window is shown), the watch of the main component
    starts one with startFetch() and takes its end on a later tick with
    finishFetch().
*/
namespace DeviceListDownload
{
/** A list is some tens of KiB: ten seconds is a slow link's worth many times
    over, and short enough that a server which accepts and never answers
    keeps the window from opening only that long.
*/
inline constexpr FileFetch::Limits listLimits { 10000, 10000 };

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

/** Starts fetching `address` into the staging file of `listFile`. */
std::unique_ptr<FileFetch> startFetch (const juce::String& address, const juce::File& listFile);

/** The rest of fetch() once the transfer has ended (`arrived` as the fetch
    reports it), without publishing: the list's plug-in page when
    `listFile` now holds a list, nothing otherwise. Logs as fetch() does.
*/
std::optional<juce::String> finishFetch (bool arrived, const juce::String& address, const juce::File& listFile);
} // namespace DeviceListDownload
