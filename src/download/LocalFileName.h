#pragma once

#include <juce_core/juce_core.h>

/** File names taken from server addresses, made safe to write.

    A download or a cached picture is stored under the last piece of its
    address. Whatever the server sends, that name must stay one plain file
    name inside the folder meant for it: no folder separators of either
    kind, no drive letter or stream suffix, no "." or "..", nothing Windows
    refuses in a name.
*/
namespace LocalFileName
{
/** The last piece of `address` after "/" (and after "\", which Windows also
    takes as a separator), without a query or fragment, cleaned to a safe
    file name; `fallback` when nothing usable is left.
*/
juce::String fromAddress (const juce::String& address, const juce::String& fallback);

/** `name` cleaned to a safe file name; `fallback` when nothing usable is left. */
juce::String makeSafe (const juce::String& name, const juce::String& fallback);
} // namespace LocalFileName
