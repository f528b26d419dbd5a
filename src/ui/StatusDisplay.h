#pragma once

#include <juce_core/juce_core.h>

#include "ui/LocalisedStrings.h"

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
    diskFull,
    notSigned,
    anotherCopyInstalling,
    spaceShortage, // "Not enough space: ..."
    other // anything else, "Download cancelled" among them
};

/** What the status line begins with, before the text of its key. */
enum class Prefix
{
    none,
    chosenCaption, // the chosen install button's caption and a blank
    softwareName // the chosen package's display name, no blank
};

/** One row of the reaction table. The interface applies a row in one fixed
    order: the notice cleared; the selection unlocked; the install buttons
    rebuilt; the chosen button enabled again; the progress bar and Cancel
    hidden; the status line set; Copy Log shown and isInstalling cleared.
    The rows marked special (progress, downloaded, installer failure, the
    two server notices) are carried out by code of their own instead.
*/
struct Description
{
    Reaction reaction = Reaction::other;

    /** Carried out by code of its own: only `reaction` applies. */
    bool special = false;

    /** The string-table key of the status line; nullptr leaves the line alone. */
    const char* textKey = nullptr;

    Prefix prefix = Prefix::none;

    /** The status line is also written to the run log. */
    bool logsText = false;

    /** A single blank replaces the status line after the user's Cancel. */
    bool blankAfterCancel = false;

    /** The notice line (speed tip, reconnecting) is emptied first. */
    bool clearsNotice = false;

    /** The request is over: the selection is unlocked, the progress bar and
        Cancel go, Copy Log comes back and isInstalling ends.
    */
    bool endsRequest = false;

    bool rebuildsButtons = false;
    bool reenablesChosenButton = false;
};

/** The row of the first reaction whose status matches: "%" is tested before
    "Unfortunately", every other text is compared exactly; anything else
    takes the last row.
*/
const Description& describe (const juce::String& status);

/** describe (status).reaction */
Reaction reactionFor (const juce::String& status);

using Lookup = LocalisedStrings::Lookup;

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

/** The status line for a space shortage: the "not_enough_space" text with
    the room needed (in the units File::descriptionOfSizeInBytes uses) for
    "%1" and the volume for "%2".
*/
juce::String spaceShortageText (const juce::String& status, const Lookup& tr);

/** The character just before the first ")" of an installer's failure text,
    or empty when there is none.
*/
juce::String failureCode (const juce::String& status);

/** The localised text of the failure's code followed by the code in
    parentheses, e.g. the "error7" text + "(7)".
*/
juce::String failureText (const juce::String& status, const Lookup& tr);
} // namespace StatusDisplay
