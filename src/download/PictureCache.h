#pragma once

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <memory>
#include <vector>

#include "devices/FileFetch.h"

/** The device pictures, kept in a cache folder under the last piece of
    their address and fetched anew whenever one is shown.

    A fetch runs in the background: the picture kept from before is there
    at once, the fresh one follows. Only a real picture replaces the kept
    copy; an error page or a broken file leaves it as it was.
*/
class PictureCache
{
public:
    explicit PictureCache (juce::File folder);

    /** Cancels the fetches still running. */
    ~PictureCache();

    /** A picture is small; five seconds lets a slow link bring one and keeps
        a server that never answers from holding anything up for long.
    */
    static constexpr FileFetch::Limits limits { 5000, 5000 };

    /** The copy kept for `address`; a null image when there is none. */
    juce::Image getKept (const juce::String& address) const;

    /** Fetches `address` in the background; then, on the message thread,
        calls `onDone` with the picture now kept (the fresh one, or the old
        copy when the fetch failed). Nothing is called after this object is
        gone. Call on the message thread.
    */
    void refresh (const juce::String& address, std::function<void (juce::Image)> onDone);

    /** The same, waiting for the end (the tests, and tools). */
    juce::Image fetchNow (const juce::String& address);

private:
    juce::File keptFileFor (const juce::String& address) const;

    /** The kept file a fetch of `address` goes to; a non-existent File when
        there is nothing to fetch (no address, or no usable name: logged).
    */
    juce::File prepareFetch (const juce::String& address);
    juce::File partFileFor (const juce::File& kept) const;
    juce::Image accept (bool arrived, const juce::String& address, const juce::File& part, const juce::File& kept);

    juce::File folder;
    std::vector<std::unique_ptr<FileFetch>> running;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PictureCache)
};
