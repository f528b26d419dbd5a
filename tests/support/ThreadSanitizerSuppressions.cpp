// Races that ThreadSanitizer reports in third-party code, with the reason
// each one is harmless. TSan reads this function when the test runner is
// built with -fsanitize=thread; other builds never call it.
//
// JUCE's curl WebInputStream: cancel() (documented to cancel a blocking read
// from another thread) clears its curl handle under the stream's lock, while
// the reading thread's isError() compares that pointer with nullptr without
// taking the lock. Every use of the handle itself happens under the lock.

extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions()
{
    return "race:juce::WebInputStream::Pimpl::isError\n";
}
