#pragma once

#include <gtest/gtest.h>

#include "download/ChunkedDownloader.h"
#include "support/MessageLoop.h"

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

    /** One whole download of `address` into `target`, its callbacks served
        by the message loop; a retry waits `retryDelayMs`.
    */
    static DownloadOutcome of (const juce::String& address, const juce::File& target, int chunks = 8, int maxRetries = 10, int retryDelayMs = 1)
    {
        DownloadOutcome outcome;
        ChunkedDownloader downloader (juce::URL (address), target, chunks);

        // maxRetries is written first: a worker that sees the short delay sees it too.
        downloader.maxRetries = maxRetries;
        downloader.retryDelayMs = retryDelayMs;
        outcome.watch (downloader);

        EXPECT_TRUE (runMessageLoopUntil ([&]
                                          { return ! downloader.isThreadRunning(); },
                                          100000));
        return outcome;
    }
};
