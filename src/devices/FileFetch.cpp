#include "devices/FileFetch.h"

namespace
{
constexpr int readSize = 16384;
constexpr int resultPollMs = 100;

/** Long enough for a cancelled connection to let go in any case; in
    practice it takes a fraction of a second.
*/
constexpr int stopTimeoutMs = 10000;

double now() { return juce::Time::getMillisecondCounterHiRes(); }
} // namespace

FileFetch::FileFetch (const juce::URL& urlToFetch, const juce::File& fileToWrite, Limits limitsToUse)
    : juce::Thread ("FileFetch"),
      url (urlToFetch),
      target (fileToWrite),
      limits (limitsToUse),
      startTime (now())
{
    startThread();

    // Also enforces the total limit on a connection blocked in a read.
    if (juce::MessageManager::existsAndIsCurrentThread())
        startTimer (resultPollMs);
}

FileFetch::~FileFetch()
{
    stopTimer();
    cancel();
    stopThread (stopTimeoutMs);
}

void FileFetch::cancel()
{
    signalThreadShouldExit();

    const std::lock_guard<std::mutex> guard (streamLock);
    cancelled = true;

    if (stream != nullptr)
        stream->cancel();
}

bool FileFetch::fetchNow (const juce::URL& urlToFetch, const juce::File& fileToWrite, Limits limitsToUse)
{
    FileFetch fetch (urlToFetch, fileToWrite, limitsToUse);

    if (! fetch.waitForThreadToExit (limitsToUse.totalMs))
        fetch.cancel();

    fetch.stopThread (stopTimeoutMs);
    return fetch.hasArrived();
}

bool FileFetch::isOverdue() const
{
    return now() - startTime > limits.totalMs;
}

void FileFetch::timerCallback()
{
    if (! finished)
    {
        // Repeated while overdue: a cancel that came before the connection
        // existed has nothing to end yet.
        if (isOverdue())
            cancel();

        return;
    }

    stopTimer();

    if (onFinished == nullptr)
        return;

    // The callback may delete this object: nothing is touched after it.
    const auto callback = std::move (onFinished);
    onFinished = nullptr;
    callback (arrived.load());
}

void FileFetch::run()
{
    const auto complete = transfer();

    // Nothing but a complete answer stays under the target's name.
    if (! complete)
        target.deleteFile();

    arrived = complete;
    finished = true;
}

bool FileFetch::transfer()
{
    target.deleteFile();

    juce::WebInputStream web (url, false);
    web.withConnectionTimeout (limits.stallMs);

    {
        const std::lock_guard<std::mutex> guard (streamLock);

        if (cancelled)
            return false;

        stream = &web;
    }

    // Whatever way this returns, nobody may cancel the stream once it is gone.
    struct Unpublish
    {
        FileFetch& owner;

        ~Unpublish()
        {
            const std::lock_guard<std::mutex> guard (owner.streamLock);
            owner.stream = nullptr;
        }
    } unpublish { *this };

    const auto connected = web.connect (nullptr);
    const auto statusCode = web.getStatusCode();

    if (! connected || web.isError() || threadShouldExit() || statusCode < 200 || statusCode >= 300)
        return false;

    juce::FileOutputStream out (target);

    if (out.failedToOpen())
        return false;

    const auto announced = web.getTotalLength();
    juce::HeapBlock<char> buffer (readSize);
    juce::int64 received = 0;

    while (! web.isExhausted())
    {
        if (threadShouldExit() || isOverdue())
            return false;

        const auto count = web.read (buffer, readSize);

        if (count < 0)
            return false;

        if (count > 0 && ! out.write (buffer, (size_t) count))
            return false;

        received += count;
    }

    out.flush();

    return ! web.isError()
           && ! threadShouldExit()
           && out.getStatus().wasOk()
           && received > 0
           && (announced < 0 || received == announced);
}
