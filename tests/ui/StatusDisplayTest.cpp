#include <gtest/gtest.h>

#include "download/StatusText.h"
#include "ui/LocalisedStrings.h"
#include "ui/StatusDisplay.h"

using StatusDisplay::Reaction;

namespace
{
StatusDisplay::Lookup english()
{
    return [strings = LocalisedStrings::parseEmbeddedTable()] (const juce::String& key)
    { return LocalisedStrings::lookUp (strings, "en", key); };
}
} // namespace

TEST (StatusDisplay, DispatchTestsProgressFirstAndComparesTheRestExactly)
{
    const std::pair<const char*, Reaction> cases[] = {
        { "25.000000% 512000", Reaction::progress },
        { "Unfortunately 50% done", Reaction::progress },
        { "Downloaded", Reaction::downloaded },
        { "Installed", Reaction::installed },
        { "installed", Reaction::other },
        { "Download error", Reaction::downloadError },
        { "Install error", Reaction::installError },
        { "App found", Reaction::appFound },
        { "Manual install", Reaction::manualInstall },
        { "Software exist", Reaction::softwareExist },
        { "Unfortunately the installation failed (7)", Reaction::installerFailure },
        { "Unzip error", Reaction::unzipError },
        { "Time out", Reaction::timeOut },
        { "Server error", Reaction::serverError },
        { "Server reconnect", Reaction::serverReconnect },
        { "Check driver", Reaction::checkDriver },
        { "Check driver ", Reaction::other },
        { "Disk full", Reaction::diskFull },
        { "Not signed", Reaction::notSigned },
        { "Another copy installing", Reaction::anotherCopyInstalling },
        { "Not enough space: 134217728 C:\\", Reaction::spaceShortage },
        { "Download cancelled", Reaction::other },
        { "", Reaction::other },
    };

    for (const auto& [status, reaction] : cases)
        EXPECT_EQ (StatusDisplay::reactionFor (status), reaction) << status;
}

TEST (StatusDisplay, SpeedTipAppearsFromTheSeventhSlowReportOn)
{
    const auto tr = english();
    int slowTicks = 0;

    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ (StatusDisplay::speedNotice (2048, slowTicks, tr), "") << i;

    EXPECT_EQ (StatusDisplay::speedNotice (2048, slowTicks, tr), tr ("tip") + "2KB/s" + tr ("tip_tail"));
    EXPECT_EQ (StatusDisplay::speedNotice (1024, slowTicks, tr), tr ("tip") + "1024B/s" + tr ("tip_tail"));
    EXPECT_EQ (StatusDisplay::speedNotice (1025, slowTicks, tr), tr ("tip") + "1KB/s" + tr ("tip_tail"));
    EXPECT_EQ (StatusDisplay::speedNotice (0, slowTicks, tr), tr ("no_network"));
    EXPECT_EQ (slowTicks, 10);

    // One fast report starts the count again.
    EXPECT_EQ (StatusDisplay::speedNotice (524288, slowTicks, tr), "");
    EXPECT_EQ (slowTicks, 0);

    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ (StatusDisplay::speedNotice (0, slowTicks, tr), "") << i;

    EXPECT_EQ (StatusDisplay::speedNotice (0, slowTicks, tr), "A network issue has been detected.\nPlease wait patiently.");
    EXPECT_EQ (StatusDisplay::speedNotice (524287, slowTicks, tr), tr ("tip") + "511KB/s" + tr ("tip_tail"));
}

TEST (StatusDisplay, FailureTextNamesTheCodeBeforeTheFirstParenthesis)
{
    const auto tr = english();

    EXPECT_EQ (StatusDisplay::failureCode ("Unfortunately it failed (7) (9)"), "7");
    EXPECT_EQ (StatusDisplay::failureText ("Unfortunately it failed (7)", tr),
               "Installation failed,\nplease close all audio-related programs and try reinstalling(7)");
    EXPECT_EQ (StatusDisplay::failureText ("Unfortunately it failed", tr), "error()");
    EXPECT_EQ (StatusDisplay::failureText (")Unfortunately", tr), "error()");
    EXPECT_EQ (StatusDisplay::failureText ("Unfortunately (4)", tr), "error4(4)") << "a code the table lacks shows its key";
}

TEST (StatusDisplay, SpaceShortageNamesTheRoomNeededAndTheVolume)
{
    const auto status = StatusText::makeSpaceShortage (134217728, "D:\\Mount Point\\");
    EXPECT_EQ (StatusDisplay::reactionFor (status), StatusDisplay::Reaction::spaceShortage);
    EXPECT_EQ (StatusDisplay::spaceShortageText (status, english()),
               "Not enough free space on D:\\Mount Point\\:\nthe download needs 128.0 MB. Please free some space and try again.");
}

TEST (StatusDisplay, TableDescribesEveryReactionThatIsNotSpecial)
{
    using StatusDisplay::Prefix;

    struct Case
    {
        const char* status;
        const char* textKey;
        Prefix prefix;
        bool endsRequest, rebuildsButtons, reenablesChosenButton;
    };

    const Case cases[] = {
        { "Installed", "installed", Prefix::chosenCaption, true, false, false },
        { "Download error", "download_error", Prefix::none, true, true, true },
        { "Install error", "install_error", Prefix::none, true, true, false },
        { "App found", "ready", Prefix::softwareName, true, false, false },
        { "Manual install", "unauthorised", Prefix::none, true, true, false },
        { "Software exist", "software_exist", Prefix::none, true, true, false },
        { "Unzip error", "unzip_error", Prefix::none, true, true, false },
        { "Time out", "time_out", Prefix::none, true, true, false },
        { "Check driver", "check_driver", Prefix::none, false, false, false },
        { "Disk full", "disk_full", Prefix::none, false, false, false },
        { "Not signed", "not_signed", Prefix::none, false, false, false },
        { "Another copy installing", "another_copy_installing", Prefix::none, true, true, true },
        { "Download cancelled", "server_error", Prefix::none, true, true, false },
        { "installed", "server_error", Prefix::none, true, true, false },
    };

    const auto strings = LocalisedStrings::parseEmbeddedTable();

    for (const auto& c : cases)
    {
        const auto& d = StatusDisplay::describe (c.status);
        EXPECT_FALSE (d.special) << c.status;
        ASSERT_NE (d.textKey, nullptr) << c.status;
        EXPECT_STREQ (d.textKey, c.textKey) << c.status;
        EXPECT_EQ (d.prefix, c.prefix) << c.status;
        EXPECT_EQ (d.endsRequest, c.endsRequest) << c.status;
        EXPECT_EQ (d.rebuildsButtons, c.rebuildsButtons) << c.status;
        EXPECT_EQ (d.reenablesChosenButton, c.reenablesChosenButton) << c.status;

        // Only the software's own line goes to the run log; only the line
        // of an unknown status is blanked by a cancel. That one and the full
        // disk clear the notice, which may blame the network.
        EXPECT_EQ (d.logsText, c.prefix == Prefix::softwareName) << c.status;
        EXPECT_EQ (d.blankAfterCancel, juce::String (c.textKey) == "server_error") << c.status;
        EXPECT_EQ (d.clearsNotice, d.blankAfterCancel || juce::String (c.textKey) == "disk_full" || juce::String (c.textKey) == "another_copy_installing") << c.status;

        for (const auto* language : { "en", "cn" })
            EXPECT_NE (LocalisedStrings::lookUp (strings, language, d.textKey), d.textKey) << c.textKey << " in " << language;
    }

    // These carry themselves out; the table only names them.
    for (const auto* status : { "25.000000% 512000", "Downloaded", "Unfortunately the installation failed (7)", "Server error", "Server reconnect" })
    {
        const auto& d = StatusDisplay::describe (status);
        EXPECT_TRUE (d.special) << status;
        EXPECT_EQ (d.textKey, nullptr) << status;
        EXPECT_FALSE (d.endsRequest || d.rebuildsButtons || d.reenablesChosenButton) << status;
    }
}
