#include <gtest/gtest.h>

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
