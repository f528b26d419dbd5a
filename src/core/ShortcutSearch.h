#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

/** Finds the newest shortcut of a program that has just been installed, on
    the desktops and in the maker's Start Menu folders, and the program file
    it starts.
*/
class ShortcutSearch
{
public:
    /** A folder to look in, and whether its subfolders count too. */
    struct Folder
    {
        juce::File folder;
        bool recursive = false;
    };

    /** A shortcut found, with its own time and the file it points to. */
    struct Shortcut
    {
        juce::File file;
        juce::Time time;
        juce::File target;
    };

    /** What a package's shortcut is searched by: its display name in lower case
        without blanks ("hubdriver4" searches "hubdriver"); empty for the plain
        driver packages, which install no program.
    */
    static juce::String getSearchCode (const juce::String& softwareName);

    /** The user's desktop, the all-users desktop, and the Start Menu folders
        "Velmora Studio", "VelmoraGlobal" and "Velmora" (those recursively).
    */
    static std::vector<Folder> getSearchFolders();

    /** The ".lnk" files (extension case-sensitive) of the folders, in order. */
    static std::vector<Shortcut> gatherShortcuts (const std::vector<Folder>& folders);

    /** The file name, or else the target's full path, in lower case without blanks, contains `code`. */
    static bool matches (const Shortcut& shortcut, const juce::String& code);

    /** The pick: the first shortcut, replaced by each later one that matches
        and is strictly newer than the pick so far.
    */
    static const Shortcut& pickNewest (const std::vector<Shortcut>& shortcuts, const juce::String& code);

    /** The whole search for a package, with its run-log lines: the program
        file to offer for launching, or nothing.
    */
    static std::optional<juce::File> findInstalledProgram (const juce::String& softwareName);
};
