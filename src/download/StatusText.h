#pragma once

#include <juce_core/juce_core.h>

/** The status texts that carry an install request's progress and outcome
    between the download monitor, the main component and the interface.

    They are compared exactly, except the progress text (it contains "%") and
    an installer's own failure text (it contains "Unfortunately").
*/
namespace StatusText
{
constexpr const char* checkDriver = "Check driver";
constexpr const char* downloaded = "Downloaded";
constexpr const char* downloadCancelled = "Download cancelled";
constexpr const char* downloadError = "Download error";
constexpr const char* installError = "Install error";
constexpr const char* installed = "Installed";
constexpr const char* appFound = "App found";
constexpr const char* manualInstall = "Manual install";
constexpr const char* softwareExist = "Software exist";
constexpr const char* unzipError = "Unzip error";
constexpr const char* timeOut = "Time out";
constexpr const char* serverError = "Server error";
constexpr const char* serverReconnect = "Server reconnect";

/** Follows "Download error" or "Unzip error" when the disk had no room left:
    the status line then says so instead of naming the server.
*/
constexpr const char* diskFull = "Disk full";

/** Follows "Install error" when the installer was not started because its
    signature is not the maker's: the status line then says so.
*/
constexpr const char* notSigned = "Not signed";

/** An install request refused at once: another copy of the program is
    installing (one installer at a time for all copies of the user).
*/
constexpr const char* anotherCopyInstalling = "Another copy installing";

/** Follows "Download error" when the download was refused before its
    first range: "Not enough space: <bytes needed> <volume>".
*/
constexpr const char* spaceShortagePrefix = "Not enough space: ";

juce::String makeSpaceShortage (juce::int64 bytesNeeded, const juce::String& volume);

bool isSpaceShortage (const juce::String& status);

struct SpaceShortage
{
    juce::int64 bytesNeeded = 0;
    juce::String volume;
};

SpaceShortage parseSpaceShortage (const juce::String& status);

/** What an installer's failure page says; any status containing it is one. */
constexpr const char* installerFailureMarker = "Unfortunately";

/** A progress text: "25.000000% 512000". */
bool isProgress (const juce::String& status);

/** An installer's own failure text. */
bool isInstallerFailure (const juce::String& status);

/** After these the main component discards the download monitor. */
bool isTerminal (const juce::String& status);

/** "%f%% " of the percentage received, then the bytes per second in decimal.
    While the total is not known yet the percentage is 0.
*/
juce::String makeProgress (juce::int64 received, juce::int64 total, juce::int64 bytesPerSecond);

struct Progress
{
    double value = 0.0; // 0.0 to 1.0
    juce::int64 bytesPerSecond = 0;
};

/** Reads a progress text back: the number before "%", divided by 100, and the
    integer after the blank.
*/
Progress parseProgress (const juce::String& status);
} // namespace StatusText
