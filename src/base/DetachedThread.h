#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

namespace DetachedThreads
{
/** The threads of runOnDetachedThread that have not ended yet. Never
    destroyed: a thread still running at exit finds it in place.
*/
struct Registry
{
    std::mutex lock;
    std::condition_variable ended;
    int running = 0;
    std::atomic<bool> stopping { false };
};

inline Registry& getRegistry()
{
    static auto* const registry = new Registry();
    return *registry;
}
} // namespace DetachedThreads

/** Runs `function` on a thread of its own that nobody waits for; false when
    no thread could be made.

    Not juce::Thread::launch: a launched thread that ends at once deletes
    itself, lock and all, while the thread that started it still holds that
    lock.
*/
inline bool runOnDetachedThread (std::function<void()> function)
{
    auto& registry = DetachedThreads::getRegistry();

    {
        const std::lock_guard<std::mutex> guard (registry.lock);
        ++registry.running;
    }

    const auto body = [&registry, work = std::move (function)]
    {
        work();

        {
            const std::lock_guard<std::mutex> guard (registry.lock);
            --registry.running;
        }

        registry.ended.notify_all();
    };

    try
    {
        std::thread (body).detach();
        return true;
    }
    catch (const std::system_error&)
    {
        const std::lock_guard<std::mutex> guard (registry.lock);
        --registry.running;
        return false;
    }
}

/** Waits at most `timeoutMs` for every thread of runOnDetachedThread to
    end: true when none runs any more. For the end of the program, when
    what those threads use (the run log) is about to go.
*/
inline bool waitForDetachedThreads (int timeoutMs)
{
    auto& registry = DetachedThreads::getRegistry();
    std::unique_lock<std::mutex> guard (registry.lock);
    return registry.ended.wait_for (guard, std::chrono::milliseconds (timeoutMs), [&registry]
                                    { return registry.running == 0; });
}

/** Tells the threads of runOnDetachedThread that the program ends: one that
    waits for something (an installer's end) gives up at its next look.
*/
inline void stopDetachedThreads()
{
    DetachedThreads::getRegistry().stopping = true;
}

/** True once the program ends (stopDetachedThreads). */
inline bool detachedThreadsShouldStop()
{
    return DetachedThreads::getRegistry().stopping.load();
}
