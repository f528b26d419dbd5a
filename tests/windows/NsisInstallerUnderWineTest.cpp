#include <gtest/gtest.h>

#include "support/WindowsTestSupport.h"

#include <windows.h>

// The NSIS installer of the whole-flow test (nsis/ShortcutPluginSetup.nsi),
// as NSIS made it: what its manifest asks of Windows, and its own pages when
// it is started without /S.

namespace
{
juce::File getInstaller()
{
    return WindowsTestSupport::getProgramBesideRunner ("nsis\\one\\Velmora Shortcut Plugin\\Velmora Shortcut Plugin Setup.exe");
}

juce::String readManifest (const juce::File& program)
{
    const auto module = LoadLibraryExW (program.getFullPathName().toWideCharPointer(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);

    if (module == nullptr)
        return {};

    juce::String text;

    // 24: RT_MANIFEST.
    if (auto* resource = FindResourceW (module, MAKEINTRESOURCEW (1), MAKEINTRESOURCEW (24)))
        if (auto* loaded = LoadResource (module, resource))
            text = juce::String::fromUTF8 (static_cast<const char*> (LockResource (loaded)), (int) SizeofResource (module, resource));

    FreeLibrary (module);
    return text;
}
} // namespace

TEST (NsisInstallerUnderWine, AsksForAdministratorRightsAndWithoutSShowsItsOwnPages)
{
    const auto installer = getInstaller();
    ASSERT_TRUE (installer.existsAsFile()) << installer.getFullPathName();

    // What makes Windows refuse it to CreateProcess from an asInvoker
    // program (error 740); Wine starts it all the same.
    EXPECT_TRUE (readManifest (installer).contains ("requireAdministrator")) << readManifest (installer);

    STARTUPINFOW startup = {};
    startup.cb = sizeof (startup);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + std::wstring (installer.getFullPathName().toWideCharPointer()) + L"\"";
    ASSERT_TRUE (CreateProcessW (nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));

    // Its first page, the choice of the installation folder.
    HWND page = nullptr;

    for (int tick = 0; tick < 600 && page == nullptr; ++tick)
    {
        page = WindowsTestSupport::findVisibleWindowOfProcess (process.dwProcessId);

        if (page == nullptr && WaitForSingleObject (process.hProcess, 100) == WAIT_OBJECT_0)
            break;
    }

    ASSERT_NE (page, nullptr) << "no page shown";
    wchar_t title[256] = {};
    GetWindowTextW (page, title, 256);
    EXPECT_EQ (juce::String (title), "Velmora Shortcut Plugin Setup: Installation Folder");

    const juce::File screenshot (juce::String (STRATOSET_SCREENSHOT_DIR) + "\\nsis-installer-first-page.png");
    EXPECT_TRUE (WindowsTestSupport::saveWindowScreenshot (page, screenshot));

    TerminateProcess (process.hProcess, 1);
    WaitForSingleObject (process.hProcess, 10000);
    CloseHandle (process.hThread);
    CloseHandle (process.hProcess);
}
