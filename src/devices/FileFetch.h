#pragma once

#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>
#include <mutex>

/** One HTTP GET into a file, on a thread of its own and within time limits,
    so that whoever waits for the device list or a picture never waits on
    the network itself.

    The answer counts only when it is complete: a 2xx status, a body that is
    not empty and, when the server announced a length, exactly that many
    bytes. Otherwise the target file is removed again.

    Two limits hold: the connection may stay silent for at most `stallMs`
    (connecting, waiting for the answer, or between two pieces of the body),
    and the whole transfer may take at most `totalMs`; a fetch that is over
    its time is cancelled.
*/
class FileFetch : private juce::Thread,
                  private juce::Timer
{
public:
    struct Limits
    {
        int stallMs = 5000;
        int totalMs = 5000;
    };

    /** Starts the transfer at once. Created on the message thread, it calls
        the callback given to setOnFinished there once, with the outcome,
        unless it is deleted first; created elsewhere, its owner looks at
        isFinished().
    */
    FileFetch (const juce::URL& url, const juce::File& target, Limits limits);

    /** Cancels a transfer still running; returns within a moment, whatever
        the server does.
    */
    ~FileFetch() override;

    bool isFinished() const { return finished.load(); }

    /** True once a complete answer is in the target file. */
    bool hasArrived() const { return arrived.load(); }

    /** Sets what is called with the outcome; on the message thread. */
    void setOnFinished (std::function<void (bool arrived)> callback) { onFinished = std::move (callback); }

    /** Ends the transfer early; it then counts as failed. Any thread. */
    void cancel();

    /** Fetches on the calling thread's behalf and waits for the end (at most
        the total limit, and a moment for the cancel). For the time before
        the message loop runs.
    */
    static bool fetchNow (const juce::URL& url, const juce::File& target, Limits limits);

private:
    void run() override;
    void timerCallback() override;
    bool transfer();
    bool isOverdue() const;

    const juce::URL url;
    const juce::File target;
    const Limits limits;
    const double startTime;
    std::function<void (bool)> onFinished;

    std::mutex streamLock;
    juce::WebInputStream* stream = nullptr;
    bool cancelled = false;

    std::atomic<bool> finished { false };
    std::atomic<bool> arrived { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileFetch)
};
