#pragma once

#include <functional>
#include <system_error>
#include <thread>

/** Runs `function` on a thread of its own that nobody waits for; false when
    no thread could be made.

    Not juce::Thread::launch: a launched thread that ends at once deletes
    itself, lock and all, while the thread that started it still holds that
    lock.
*/
inline bool runOnDetachedThread (std::function<void()> function)
{
    try
    {
        std::thread (std::move (function)).detach();
        return true;
    }
    catch (const std::system_error&)
    {
        return false;
    }
}
