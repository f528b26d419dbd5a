#pragma once

#include "download/ChunkedDownloader.h"

#include <utility>

/** What a ChunkedDownloader reported through its callbacks. */
struct DownloadOutcome
{
    int completions = 0;
    int errors = 0;
    juce::String error;
    std::pair<juce::int64, juce::int64> progressAtCompletion;

    /** Points the downloader's callbacks at this outcome; both must outlive
        the download.
    */
    void watch (ChunkedDownloader& downloader)
    {
        downloader.onComplete = [this, &downloader] (int)
        {
            ++completions;
            progressAtCompletion = downloader.getProgress();
        };

        downloader.onError = [this] (const juce::String& message)
        {
            ++errors;
            error = message;
        };
    }
};
