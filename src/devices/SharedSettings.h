#pragma once

#include <juce_core/juce_core.h>

/** The one settings record of the process. Its fields are fixed when it is
    created; holders keep a pointer and copy the region they need.
*/
struct SharedSettings
{
    /** Server region of the run: "cn" or "en". */
    juce::String region { "cn" };

    /** Fetch the device list from the China mirror instead of the cloud bucket. */
    bool useChinaMirror = false;

    /** Work folder for package downloads (only computed here, never created). */
    juce::File tempFolder;
};

/** Where package downloads are kept across runs (beside the copies' own
    work folders in tempFolder, never inside one of them).
*/
inline juce::File getDownloadStoreFolder (const SharedSettings& settings)
{
    return settings.tempFolder.getChildFile ("downloads");
}

/** The record, created on first use (thread-safe) with the temporary folder's
    child "VelmoraTmp".
*/
SharedSettings& getSharedSettings();
