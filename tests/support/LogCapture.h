#pragma once

#include <juce_core/juce_core.h>

#include <algorithm>
#include <mutex>
#include <vector>

/** Collects everything written to the run log while it lives.

    The captures of the tests are stacked behind one logger that is never
    destroyed, so JUCE's current logger is written only when something else
    (the run log) has taken its place: a worker thread that nobody waits for
    may still be logging when a capture goes, and then finds the capture
    before it, or none (its line goes to the debug output, as JUCE's does
    without a logger), never a capture being destroyed.
*/
class LogCapture
{
public:
    LogCapture() { getStack().push (this); }
    ~LogCapture() { getStack().pop (this); }

    juce::StringArray getLines() const
    {
        const juce::ScopedLock sl (lock);
        return lines;
    }

    /** True when a logged message equals `message` exactly. */
    bool contains (const juce::String& message) const { return getLines().contains (message); }

    /** How many logged messages equal `message`. */
    int count (const juce::String& message) const
    {
        int n = 0;

        for (const auto& line : getLines())
            if (line == message)
                ++n;

        return n;
    }

    /** How many logged messages contain `text`. */
    int countContaining (const juce::String& text) const
    {
        int n = 0;

        for (const auto& line : getLines())
            if (line.contains (text))
                ++n;

        return n;
    }

    void clear()
    {
        const juce::ScopedLock sl (lock);
        lines.clear();
    }

private:
    class Stack final : public juce::Logger
    {
    public:
        void push (LogCapture* capture)
        {
            const std::lock_guard<std::mutex> guard (lock);

            if (juce::Logger::getCurrentLogger() != this)
                juce::Logger::setCurrentLogger (this);

            captures.push_back (capture);
        }

        void pop (LogCapture* capture)
        {
            const std::lock_guard<std::mutex> guard (lock);
            captures.erase (std::remove (captures.begin(), captures.end(), capture), captures.end());
        }

        void logMessage (const juce::String& message) override
        {
            const std::lock_guard<std::mutex> guard (lock);

            if (! captures.empty())
                captures.back()->add (message);
            else
                juce::Logger::outputDebugString (message);
        }

    private:
        std::mutex lock;
        std::vector<LogCapture*> captures;
    };

    static Stack& getStack()
    {
        static auto* const stack = new Stack();
        return *stack;
    }

    void add (const juce::String& message)
    {
        const juce::ScopedLock sl (lock);
        lines.add (message);
    }

    juce::CriticalSection lock;
    juce::StringArray lines;

    JUCE_DECLARE_NON_COPYABLE (LogCapture)
};
