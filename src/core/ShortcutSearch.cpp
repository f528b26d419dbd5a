#include "core/ShortcutSearch.h"

#include "platform/ShellFolderService.h"
#include "platform/ShortcutService.h"

namespace
{
juce::String withoutBlanksInLowerCase (const juce::String& text)
{
    return text.removeCharacters (" ").toLowerCase();
}

void log (const juce::String& message)
{
    juce::Logger::writeToLog (message);
}
} // namespace

juce::String ShortcutSearch::getSearchCode (const juce::String& softwareName)
{
    const auto code = withoutBlanksInLowerCase (softwareName);

    if (code == "hubdriver4")
        return "hubdriver";

    if (code == "newdriver" || code == "driver")
        return {};

    return code;
}

std::vector<ShortcutSearch::Folder> ShortcutSearch::getSearchFolders()
{
    auto& shell = platform::shellFolders();
    const auto desktop = shell.getUserDesktopFolder();
    const auto programs = shell.getCommonApplicationDataFolder().getChildFile ("Microsoft/Windows/Start Menu/Programs");

    return {
        { desktop, false },
        { desktop.getParentDirectory().getParentDirectory().getChildFile ("Public/Desktop"), false },
        { programs.getChildFile ("Velmora Studio"), true },
        { programs.getChildFile ("VelmoraGlobal"), true },
        { programs.getChildFile ("Velmora"), true },
    };
}

std::vector<ShortcutSearch::Shortcut> ShortcutSearch::gatherShortcuts (const std::vector<Folder>& folders)
{
    auto& links = platform::shortcuts();
    std::vector<Shortcut> found;

    for (const auto& folder : folders)
    {
        if (! folder.folder.isDirectory())
            continue;

        for (const auto& file : folder.folder.findChildFiles (juce::File::findFiles, folder.recursive, "*"))
            if (file.getFileExtension() == ".lnk")
                found.push_back ({ file, links.getShortcutTime (file), links.getShortcutTarget (file) });
    }

    return found;
}

bool ShortcutSearch::matches (const Shortcut& shortcut, const juce::String& code)
{
    return withoutBlanksInLowerCase (shortcut.file.getFileName()).contains (code)
           || withoutBlanksInLowerCase (shortcut.target.getFullPathName()).contains (code);
}

const ShortcutSearch::Shortcut& ShortcutSearch::pickNewest (const std::vector<Shortcut>& shortcuts, const juce::String& code)
{
    jassert (! shortcuts.empty());
    const auto* pick = &shortcuts.front();

    for (size_t i = 1; i < shortcuts.size(); ++i)
        if (shortcuts[i].time > pick->time && matches (shortcuts[i], code))
            pick = &shortcuts[i];

    return *pick;
}

std::optional<juce::File> ShortcutSearch::findInstalledProgram (const juce::String& softwareName)
{
    const auto code = getSearchCode (softwareName);

    if (code.isEmpty())
        return std::nullopt;

    const auto shortcuts = gatherShortcuts (getSearchFolders());

    if (shortcuts.empty())
    {
        log ("<MainComponent::changeListenerCallback> No shortcut files found on desktop.");
        return std::nullopt;
    }

    const auto& pick = pickNewest (shortcuts, code);

    if (! matches (pick, code))
    {
        log (pick.file.getFileName().toLowerCase());
        log (pick.target.getFullPathName().toLowerCase());
        log (code);
        log ("<MainComponent::changeListenerCallback> Can't find " + softwareName);
        return std::nullopt;
    }

    log ("<MainComponent::changeListenerCallback> The newest shortcut is: " + pick.file.getFullPathName());

    auto program = pick.target;

    if (! program.existsAsFile())
    {
        // A 32-bit program's link may still name "Program Files (x86)" after a 64-bit install.
        const auto path = program.getFullPathName();

        if (! path.contains ("x86"))
            return std::nullopt;

        program = juce::File (path.replace (" (x86)", ""));

        if (! program.existsAsFile())
            return std::nullopt;
    }

    log ("<MainComponent::changeListenerCallback> upper founded! The shortcut linked to: " + program.getFullPathName());
    return program;
}
