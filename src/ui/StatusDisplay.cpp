#include "ui/StatusDisplay.h"

#include "download/StatusText.h"

#include <iterator>

namespace StatusDisplay
{
namespace
{
    enum class Match
    {
        progress, // StatusText::isProgress
        installerFailure, // StatusText::isInstallerFailure
        spaceShortage, // StatusText::isSpaceShortage
        exact,
        anything
    };

    struct Row
    {
        Match match;
        const char* text;
        Description description;
    };

    constexpr auto none = Prefix::none;
    constexpr auto caption = Prefix::chosenCaption;
    constexpr auto software = Prefix::softwareName;

    // In the order of the dispatch: the first row that matches wins.
    // clang-format off
const Row rows[] = {
    //                                                        reaction                    special key               prefix    logs   blank  clear  ends   rebuild enable
    { Match::progress,         nullptr,                     { Reaction::progress,         true,   nullptr,          none,     false, false, false, false, false,  false } },
    { Match::exact,            StatusText::downloaded,      { Reaction::downloaded,       true,   nullptr,          none,     false, false, false, false, false,  false } },
    { Match::exact,            StatusText::installed,       { Reaction::installed,        false,  "installed",      caption,  false, false, false, true,  false,  false } },
    { Match::exact,            StatusText::downloadError,   { Reaction::downloadError,    false,  "download_error", none,     false, false, false, true,  true,   true } },
    { Match::exact,            StatusText::installError,    { Reaction::installError,     false,  "install_error",  none,     false, false, false, true,  true,   false } },
    { Match::exact,            StatusText::appFound,        { Reaction::appFound,         false,  "ready",          software, true,  false, false, true,  false,  false } },
    { Match::exact,            StatusText::manualInstall,   { Reaction::manualInstall,    false,  "unauthorised",   none,     false, false, false, true,  true,   false } },
    { Match::exact,            StatusText::softwareExist,   { Reaction::softwareExist,    false,  "software_exist", none,     false, false, false, true,  true,   false } },
    { Match::installerFailure, nullptr,                     { Reaction::installerFailure, true,   nullptr,          none,     false, false, false, false, false,  false } },
    { Match::exact,            StatusText::unzipError,      { Reaction::unzipError,       false,  "unzip_error",    none,     false, false, false, true,  true,   false } },
    { Match::exact,            StatusText::timeOut,         { Reaction::timeOut,          false,  "time_out",       none,     false, false, false, true,  true,   false } },
    { Match::exact,            StatusText::serverError,     { Reaction::serverError,      true,   nullptr,          none,     false, false, false, false, false,  false } },
    { Match::exact,            StatusText::serverReconnect, { Reaction::serverReconnect,  true,   nullptr,          none,     false, false, false, false, false,  false } },
    { Match::exact,            StatusText::checkDriver,     { Reaction::checkDriver,      false,  "check_driver",   none,     false, false, false, false, false,  false } },
    // After the request has ended: says why, in place of the server's blame.
    { Match::exact,            StatusText::diskFull,        { Reaction::diskFull,         false,  "disk_full",      none,     false, false, true,  false, false,  false } },
    { Match::exact,            StatusText::notSigned,       { Reaction::notSigned,        false,  "not_signed",     none,     false, false, false, false, false,  false } },
    // A request refused before it began: the buttons come back at once.
    { Match::exact,            StatusText::anotherCopyInstalling, { Reaction::anotherCopyInstalling, false, "another_copy_installing", none, false, false, true, true, true, true } },
    // After the request has ended, with the room needed and the volume: carried out by code of its own.
    { Match::spaceShortage,    nullptr,                     { Reaction::spaceShortage,    true,   nullptr,          none,     false, false, false, false, false,  false } },
    // Anything else, "Download cancelled" among them.
    { Match::anything,         nullptr,                     { Reaction::other,            false,  "server_error",   none,     false, true,  true,  true,  true,   false } },
};
    // clang-format on

    bool matches (const Row& row, const juce::String& status)
    {
        switch (row.match)
        {
            case Match::progress:
                return StatusText::isProgress (status);
            case Match::installerFailure:
                return StatusText::isInstallerFailure (status);
            case Match::spaceShortage:
                return StatusText::isSpaceShortage (status);
            case Match::exact:
                return status == row.text;
            case Match::anything:
                return true;
        }

        return false;
    }
} // namespace

const Description& describe (const juce::String& status)
{
    for (const auto& row : rows)
        if (matches (row, status))
            return row.description;

    return rows[std::size (rows) - 1].description;
}

Reaction reactionFor (const juce::String& status)
{
    return describe (status).reaction;
}

juce::String spaceShortageText (const juce::String& status, const Lookup& tr)
{
    const auto shortage = StatusText::parseSpaceShortage (status);
    return tr ("not_enough_space").replace ("%1", juce::File::descriptionOfSizeInBytes (shortage.bytesNeeded)).replace ("%2", shortage.volume);
}

juce::String speedNotice (juce::int64 bytesPerSecond, int& slowTicks, const Lookup& tr)
{
    if (bytesPerSecond >= slowBytesPerSecond)
    {
        slowTicks = 0;
        return {};
    }

    if (++slowTicks <= slowReportsWithoutTip)
        return {};

    if (bytesPerSecond == 0)
        return tr ("no_network");

    if (bytesPerSecond > 1024)
        return tr ("tip") + juce::String (bytesPerSecond / 1024) + "KB/s" + tr ("tip_tail");

    return tr ("tip") + juce::String (bytesPerSecond) + "B/s" + tr ("tip_tail");
}

juce::String failureCode (const juce::String& status)
{
    const auto close = status.indexOfChar (')');

    if (close <= 0)
        return {};

    return status.substring (close - 1, close);
}

juce::String failureText (const juce::String& status, const Lookup& tr)
{
    const auto code = failureCode (status);
    return tr ("error" + code) + "(" + code + ")";
}
} // namespace StatusDisplay
