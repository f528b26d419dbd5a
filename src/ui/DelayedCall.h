#pragma once

#include <juce_events/juce_events.h>

#include <functional>

/** One call, made a while later on the message thread, and never once its
    owner is gone (a pending Timer::callAfterDelay outlives whoever asked
    for it). Asking again replaces the call pending.
*/
class DelayedCall : private juce::Timer
{
public:
    DelayedCall() = default;
    ~DelayedCall() override { stopTimer(); }

    void callAfter (int milliseconds, std::function<void()> function)
    {
        call = std::move (function);
        startTimer (milliseconds);
    }

private:
    void timerCallback() override
    {
        stopTimer();
        const auto function = std::move (call);
        call = nullptr;

        if (function != nullptr)
            function();
    }

    std::function<void()> call;

    JUCE_DECLARE_NON_COPYABLE (DelayedCall)
};
