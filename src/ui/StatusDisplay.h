#pragma once

#include <juce_core/juce_core.h>

#include <functional>

/** What the interface makes of a status text: which reaction applies, the
    speed tip while downloading and the text of an installer failure.
    The interface component carries the reactions out.
*/
namespace StatusDisplay
{
/** The reactions, one per status kind. */
enum class Reaction
{
    progress, // contains "%"
    downloaded,
    installed,
    downloadError,
    installError,
    appFound,
    manualInstall,
    softwareExist,
    installerFailure, // contains "Unfortunately"
    unzipError,
    timeOut,
    serverError,
    serverReconnect,
    checkDriver,
    other // anything else, "Download cancelled" among them
};

/** The first reaction whose status matches: "%" is tested before
    "Unfortunately", every other text is compared exactly.
*/
Reaction reactionFor (const juce::String& status);

/** A text lookup by string-table key. */
using Lookup = std::function<juce::String (const juce::String& key)>;

/** Transfers below this many bytes per second count as slow. */
constexpr juce::int64 slowBytesPerSecond = 524288;

/** Slow reports in a row that show no tip yet. */
constexpr int slowReportsWithoutTip = 6;

/** The notice for one progress report: empty while the transfer is fast or
    has been slow for at most six reports in a row, then the no-network text
    (speed 0) or the speed tip. `slowTicks` counts the slow reports in a row
    and is reset by a fast one.
*/
juce::String speedNotice (juce::int64 bytesPerSecond, int& slowTicks, const Lookup& tr);

/** The character just before the first ")" of an installer's failure text,
    or empty when there is none.
*/
juce::String failureCode (const juce::String& status);

/** The localised text of the failure's code followed by the code in
    parentheses, e.g. the "error7" text + "(7)".
*/
juce::String failureText (const juce::String& status, const Lookup& tr);
} // namespace StatusDisplay
