#pragma once

#include <juce_core/juce_core.h>

/** Collects everything written to the run log while it lives. */
class LogCapture : private juce::Logger
{
public:
    LogCapture() : previous (juce::Logger::getCurrentLogger()) { juce::Logger::setCurrentLogger (this); }
    ~LogCapture() override { juce::Logger::setCurrentLogger (previous); }

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
    void logMessage (const juce::String& message) override
    {
        const juce::ScopedLock sl (lock);
        lines.add (message);
    }

    juce::Logger* previous;
    juce::CriticalSection lock;
    juce::StringArray lines;
};
