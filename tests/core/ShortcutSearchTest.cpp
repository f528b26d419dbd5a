#include <gtest/gtest.h>

#include "core/ShortcutSearch.h"
#include "support/LogCapture.h"
#include "support/SimulatedHostFolder.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace
{
/** A simulated host with a program installed and shortcuts made to order. */
class ShortcutHost
{
public:
    juce::File installProgram (const juce::String& relativePath)
    {
        return host.write (relativePath, "#!/bin/sh\n");
    }

    /** A shortcut (a symbolic link) whose own time is `minutesAgo` minutes back. */
    juce::File addShortcut (const juce::String& relativePath, const juce::File& target, int minutesAgo)
    {
        auto link = host / relativePath;
        link.getParentDirectory().createDirectory();
        EXPECT_TRUE (target.createSymbolicLink (link, true));

        const auto when = juce::Time::getCurrentTime() - juce::RelativeTime::minutes (minutesAgo);
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = (time_t) (when.toMilliseconds() / 1000);
        times[0].tv_nsec = times[1].tv_nsec = 0;
        EXPECT_EQ (utimensat (AT_FDCWD, link.getFullPathName().toRawUTF8(), times, AT_SYMLINK_NOFOLLOW), 0);
        return link;
    }

    SimulatedHostFolder host;
};

const juce::String startMenu = "ProgramData/Microsoft/Windows/Start Menu/Programs/";
} // namespace

TEST (ShortcutSearch, SearchCodeComesFromTheDisplayName)
{
    EXPECT_EQ (ShortcutSearch::getSearchCode ("Tessel Max"), "tesselmax");
    EXPECT_EQ (ShortcutSearch::getSearchCode ("Vortex Deck"), "vortexdeck");
    EXPECT_EQ (ShortcutSearch::getSearchCode ("HubDriver 4"), "hubdriver");
    EXPECT_EQ (ShortcutSearch::getSearchCode ("HubDriver"), "hubdriver");
    EXPECT_EQ (ShortcutSearch::getSearchCode ("Driver"), "");
    EXPECT_EQ (ShortcutSearch::getSearchCode ("newDriver"), "");
    EXPECT_EQ (ShortcutSearch::getSearchCode ("New Driver"), "");
}

TEST (ShortcutSearch, FindsTheProgramOfAMatchingShortcut)
{
    ShortcutHost h;
    const auto program = h.installProgram ("Program Files/Velmora/Tessel Max/TesselMax.exe");
    h.addShortcut ("Users/user/Desktop/Tessel Max.lnk", program, 1);

    LogCapture log;
    EXPECT_EQ (ShortcutSearch::findInstalledProgram ("Tessel Max"), program);
    EXPECT_TRUE (log.contains ("<MainComponent::changeListenerCallback> The newest shortcut is: " + (h.host / "Users/user/Desktop/Tessel Max.lnk").getFullPathName()));
    EXPECT_TRUE (log.contains ("<MainComponent::changeListenerCallback> upper founded! The shortcut linked to: " + program.getFullPathName()));
}

TEST (ShortcutSearch, NewerMatchOnThePublicDesktopWins)
{
    ShortcutHost h;
    const auto older = h.installProgram ("Program Files/Velmora/Old/TesselMax.exe");
    const auto newer = h.installProgram ("Program Files/Velmora/New/TesselMax.exe");
    h.addShortcut ("Users/user/Desktop/Tessel Max.lnk", older, 30);
    h.addShortcut ("Users/Public/Desktop/Tessel Max.lnk", newer, 1);

    EXPECT_EQ (ShortcutSearch::findInstalledProgram ("Tessel Max"), newer);
}

TEST (ShortcutSearch, MatchesByTargetAndSearchesStartMenuFoldersRecursively)
{
    ShortcutHost h;
    const auto program = h.installProgram ("Program Files/Velmora/KeyWeave/KeyWeave.exe");
    const auto other = h.installProgram ("Program Files/Other/Other.exe");
    h.addShortcut ("Users/user/Desktop/Other.lnk", other, 60);
    h.addShortcut (startMenu + "Velmora Studio/Editors/Start the editor.lnk", program, 5);
    h.addShortcut ("Users/user/Desktop/Deeper/KeyWeave.lnk", program, 1); // desktops are not searched below

    EXPECT_EQ (ShortcutSearch::findInstalledProgram ("KeyWeave"), program);

    const auto shortcuts = ShortcutSearch::gatherShortcuts (ShortcutSearch::getSearchFolders());
    ASSERT_EQ (shortcuts.size(), 2u);
    EXPECT_EQ (shortcuts[1].file.getFileName(), "Start the editor.lnk");
}

TEST (ShortcutSearch, AnOlderMatchNeverReplacesANewerFirstShortcut)
{
    ShortcutHost h;
    const auto vortex = h.installProgram ("Program Files/Velmora/Vortex Deck/VortexDeck.exe");
    const auto tessel = h.installProgram ("Program Files/Velmora/Tessel Max/TesselMax.exe");
    h.addShortcut ("Users/user/Desktop/Vortex Deck.lnk", vortex, 1);
    h.addShortcut ("Users/Public/Desktop/Tessel Max.lnk", tessel, 10);

    LogCapture log;
    EXPECT_FALSE (ShortcutSearch::findInstalledProgram ("Tessel Max").has_value());
    EXPECT_EQ (log.getLines(), juce::StringArray (juce::String ("vortex deck.lnk"), vortex.getFullPathName().toLowerCase(), juce::String ("tesselmax"), juce::String ("<MainComponent::changeListenerCallback> Can't find Tessel Max")));
}

TEST (ShortcutSearch, FallsBackFromProgramFilesX86)
{
    ShortcutHost h;
    const auto program = h.installProgram ("Program Files/Velmora/Tessel/Tessel.exe");
    h.addShortcut (startMenu + "Velmora/Tessel.lnk", h.host / "Program Files (x86)/Velmora/Tessel/Tessel.exe", 1);

    EXPECT_EQ (ShortcutSearch::findInstalledProgram ("Tessel"), program);

    (program).deleteFile();
    LogCapture log;
    EXPECT_FALSE (ShortcutSearch::findInstalledProgram ("Tessel").has_value());
    EXPECT_EQ (log.countContaining ("upper founded"), 0);
}

TEST (ShortcutSearch, OnlyLowerCaseLnkFilesAreShortcuts)
{
    ShortcutHost h;
    const auto program = h.installProgram ("Program Files/Velmora/Tessel Max/TesselMax.exe");
    h.addShortcut ("Users/user/Desktop/Tessel Max.LNK", program, 1);
    h.host.write ("Users/user/Desktop/readme.txt", "not a shortcut");

    LogCapture log;
    EXPECT_FALSE (ShortcutSearch::findInstalledProgram ("Tessel Max").has_value());
    EXPECT_EQ (log.getLines(), juce::StringArray ({ "<MainComponent::changeListenerCallback> No shortcut files found on desktop." }));
}
