#include <gtest/gtest.h>

#include "core/ShortcutSearch.h"
#include "platform/ProgramStartService.h"
#include "platform/ShortcutService.h"
#include "support/LogCapture.h"
#include "support/WindowsTestSupport.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cmath>

// Shell links made with IShellLinkW where the shell keeps them, found by the
// shortcut search and resolved through the real shell; the current directory
// through SetCurrentDirectoryW.

namespace
{
/** A shell link at `link` that starts `target`; false when the shell refused. */
bool createShellLink (const juce::File& link, const juce::String& target)
{
    link.getParentDirectory().createDirectory();

    IShellLinkW* shellLink = nullptr;

    if (FAILED (CoCreateInstance (CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**> (&shellLink))))
        return false;

    IPersistFile* file = nullptr;
    auto saved = SUCCEEDED (shellLink->SetPath (target.toWideCharPointer()))
                 && SUCCEEDED (shellLink->QueryInterface (IID_IPersistFile, reinterpret_cast<void**> (&file)));

    if (file != nullptr)
    {
        saved = saved && SUCCEEDED (file->Save (link.getFullPathName().toWideCharPointer(), TRUE));
        file->Release();
    }

    shellLink->Release();
    return saved && link.existsAsFile();
}

juce::File getShellFolder (int csidl)
{
    wchar_t path[MAX_PATH] = {};

    if (FAILED (SHGetFolderPathW (nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};

    return juce::File (juce::String (path));
}

/** Files this test puts into the shell's folders, removed again at its end. */
class ShellFiles
{
public:
    ShellFiles()
    {
        CoInitializeEx (nullptr, COINIT_APARTMENTTHREADED);
    }

    ~ShellFiles()
    {
        for (auto i = created.size(); --i >= 0;)
            created.getReference (i).deleteRecursively();
    }

    juce::File program (const juce::File& file)
    {
        remember (file.getParentDirectory());
        file.getParentDirectory().createDirectory();
        file.replaceWithText ("MZ");
        return file;
    }

    juce::File link (const juce::File& link, const juce::String& target, juce::Time time)
    {
        remember (link);
        EXPECT_TRUE (createShellLink (link, target)) << link.getFullPathName();
        link.setLastModificationTime (time);
        return link;
    }

    void remember (const juce::File& file) { created.add (file); }

private:
    juce::Array<juce::File> created;
};

const auto anHourAgo = juce::Time::getCurrentTime() - juce::RelativeTime::hours (1);
const auto aMinuteAgo = juce::Time::getCurrentTime() - juce::RelativeTime::minutes (1);

juce::File getProgramFiles (const juce::String& relativePath)
{
    return juce::File ("C:\\Program Files").getChildFile (relativePath);
}
} // namespace

TEST (ShortcutsUnderWine, TheSearchLooksWhereTheShellKeepsDesktopsAndTheStartMenu)
{
    const auto folders = ShortcutSearch::getSearchFolders();
    ASSERT_EQ (folders.size(), 5u);

    EXPECT_EQ (folders[0].folder, getShellFolder (CSIDL_DESKTOPDIRECTORY));
    EXPECT_EQ (folders[1].folder, getShellFolder (CSIDL_COMMON_DESKTOPDIRECTORY));

    const auto programs = getShellFolder (CSIDL_COMMON_PROGRAMS);
    EXPECT_EQ (folders[2].folder, programs.getChildFile ("Velmora Studio"));
    EXPECT_EQ (folders[3].folder, programs.getChildFile ("VelmoraGlobal"));
    EXPECT_EQ (folders[4].folder, programs.getChildFile ("Velmora"));
}

TEST (ShortcutsUnderWine, NewestMatchingLinkOnEitherDesktopGivesTheProgram)
{
    ShellFiles files;
    const auto folder = "Velmora Test " + juce::Uuid().toString();
    const auto older = files.program (getProgramFiles (folder + "\\Old\\Tessel Max.exe"));
    const auto newer = files.program (getProgramFiles (folder + "\\Tessel Max\\Tessel Max.exe"));

    const auto userLink = files.link (getShellFolder (CSIDL_DESKTOPDIRECTORY).getChildFile ("Tessel Max.lnk"), older.getFullPathName(), anHourAgo);
    const auto publicLink = files.link (getShellFolder (CSIDL_COMMON_DESKTOPDIRECTORY).getChildFile ("Velmora Tessel Max.lnk"), newer.getFullPathName(), aMinuteAgo);

    // The link's own time counts, not its target's.
    auto& shortcuts = platform::shortcuts();
    EXPECT_EQ (shortcuts.getShortcutTarget (userLink), older);
    EXPECT_LT (std::abs ((shortcuts.getShortcutTime (publicLink) - aMinuteAgo).inSeconds()), 5.0);

    LogCapture log;
    const auto program = ShortcutSearch::findInstalledProgram ("Tessel Max");
    ASSERT_TRUE (program.has_value()) << log.getLines().joinIntoString ("\n");
    EXPECT_EQ (*program, newer);
    EXPECT_TRUE (log.contains ("<MainComponent::changeListenerCallback> The newest shortcut is: " + publicLink.getFullPathName()));
    EXPECT_TRUE (log.contains ("<MainComponent::changeListenerCallback> upper founded! The shortcut linked to: " + newer.getFullPathName()));
}

TEST (ShortcutsUnderWine, StartMenuLinkToProgramFilesX86FindsTheProgramUnderProgramFiles)
{
    ShellFiles files;
    const auto folder = "Velmora Test " + juce::Uuid().toString();
    const auto program = files.program (getProgramFiles (folder + "\\KeyWeave\\KeyWeave.exe"));
    const auto x86Path = "C:\\Program Files (x86)\\" + folder + "\\KeyWeave\\KeyWeave.exe";
    ASSERT_FALSE (juce::File (x86Path).exists());

    const auto studio = getShellFolder (CSIDL_COMMON_PROGRAMS).getChildFile ("Velmora Studio");
    files.remember (studio);

    // Below a subfolder: the Start Menu folders are searched recursively.
    const auto link = files.link (studio.getChildFile ("KeyWeave\\KeyWeave Editor.lnk"), x86Path, aMinuteAgo);
    EXPECT_EQ (platform::shortcuts().getShortcutTarget (link).getFullPathName(), x86Path);

    LogCapture log;
    const auto found = ShortcutSearch::findInstalledProgram ("KeyWeave");
    ASSERT_TRUE (found.has_value()) << log.getLines().joinIntoString ("\n");
    EXPECT_EQ (*found, program);
    EXPECT_TRUE (log.contains ("<MainComponent::changeListenerCallback> The newest shortcut is: " + link.getFullPathName()));
}

TEST (ShortcutsUnderWine, TheFoundProgramStartsInItsOwnFolderWhateverItsName)
{
    // Blanks and letters outside every ANSI code page.
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                            .getChildFile (juce::String (juce::CharPointer_UTF8 ("Velmora St\xc3\xbc"
                                                                                 "dio \xe9\x9f\xb3\xe9\xa2\x91 "))
                                           + juce::Uuid().toString());
    ASSERT_TRUE (folder.createDirectory());
    const auto program = folder.getChildFile ("ShortcutPlugin.exe");
    ASSERT_TRUE (juce::File (STRATOSET_INSTALLED_PROGRAM_EXE).copyFileTo (program));

    const auto before = juce::File::getCurrentWorkingDirectory();
    ASSERT_TRUE (platform::programStarter().launch (program));
    EXPECT_EQ (juce::File::getCurrentWorkingDirectory(), before) << "this process's folder stays as it was";

    // The program notes the folder it was started in, then shows its window.
    const auto note = folder.getChildFile ("ShortcutPlugin.exe.started");
    const auto deadline = juce::Time::getMillisecondCounter() + 30000;

    while (! note.existsAsFile() && juce::Time::getMillisecondCounter() < deadline)
        juce::Thread::sleep (50);

    ASSERT_TRUE (note.existsAsFile()) << "the program did not start";
    EXPECT_EQ (juce::File (juce::StringArray::fromLines (note.loadFileAsString())[0].trim()), folder);

    for (int i = 0; i < 100; ++i)
    {
        if (const auto window = FindWindowW (nullptr, L"Velmora Shortcut Plugin"))
        {
            PostMessageW (window, WM_CLOSE, 0, 0);
            break;
        }

        juce::Thread::sleep (50);
    }

    juce::Thread::sleep (500);
    folder.deleteRecursively();
}
