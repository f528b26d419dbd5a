#pragma once

#include <juce_events/juce_events.h>

/** Runs the JUCE message loop until `done()` holds or `timeoutMs` has passed;
    returns whether it holds. Timers, async calls and change messages are
    delivered meanwhile.
*/
template <typename Predicate>
bool runMessageLoopUntil (Predicate done, int timeoutMs = 10000)
{
    const auto end = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

    while (! done())
    {
        if (juce::Time::getMillisecondCounterHiRes() > end)
            return done();

        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    return true;
}

/** Runs the JUCE message loop for `milliseconds`. */
inline void runMessageLoopFor (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}
