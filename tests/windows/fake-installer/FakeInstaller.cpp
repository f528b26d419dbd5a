// A stand-in for one of the maker's installers under Wine: a plain Win32
// program whose pages are real "#32770" dialogs made from FakeInstaller.rc,
// answered through user32 as the program answers the real installers.
//
// What it shows is chosen by its file name, "<title>.<scenario>.exe", or by
// the arguments --scenario=NAME and --title=TEXT:
//
//   silent    no dialog: it ends at once (also any name without a scenario word)
//   success   language choice (OK), start (INSTALL), "Installing USB drivers."
//             (moves on by itself after half a second), completed (E&xit)
//   reboot    the same, ending with the restart question (Reboot now, Reboot later)
//   failure   the same, ending with the failure page (E&xit, exit code 7)
//
// Each page is a dialog of its own with the same title; a press that leads
// on shows the next page before the old one goes, so the click returns with
// the next page on the screen. A page left without a press for 60 s ends the
// program. Every run appends one JSON line to "<own path>.record": its path,
// its raw command line, the arguments Windows parses from it, the pages
// shown, the texts of the controls pressed and the outcome.

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "FakeInstallerPages.h"

namespace
{
enum class Page
{
    language,
    start,
    installing,
    completed,
    rebootQuestion,
    failed
};

struct Scenario
{
    const wchar_t* name;
    std::vector<Page> pages;
};

const Scenario scenarios[] = {
    { L"silent", {} },
    { L"success", { Page::language, Page::start, Page::installing, Page::completed } },
    { L"reboot", { Page::language, Page::start, Page::installing, Page::rebootQuestion } },
    { L"failure", { Page::language, Page::start, Page::installing, Page::failed } },
};

constexpr UINT driverInstallMs = 500;
constexpr UINT pageTimeoutMs = 60000;
constexpr UINT_PTR driverInstallTimer = 1;
constexpr UINT_PTR pageTimeoutTimer = 2;

const wchar_t* getPageName (Page page)
{
    switch (page)
    {
        case Page::language:
            return L"language";
        case Page::start:
            return L"start";
        case Page::installing:
            return L"installing";
        case Page::completed:
            return L"completed";
        case Page::rebootQuestion:
            return L"reboot question";
        case Page::failed:
            return L"failed";
    }

    return L"";
}

int getDialogResource (Page page)
{
    switch (page)
    {
        case Page::language:
            return IDD_LANGUAGE;
        case Page::start:
            return IDD_START;
        case Page::installing:
            return IDD_INSTALLING;
        case Page::completed:
            return IDD_COMPLETED;
        case Page::rebootQuestion:
            return IDD_REBOOT_QUESTION;
        case Page::failed:
            return IDD_FAILED;
    }

    return 0;
}

int getExitCode (const std::wstring& outcome)
{
    if (outcome == L"installed" || outcome == L"reboot now")
        return 0;

    if (outcome == L"failed")
        return 7;

    if (outcome == L"cancelled")
        return 2;

    if (outcome == L"abandoned")
        return 3;

    return 1;
}

//==============================================================================
std::string toUtf8 (const std::wstring& text)
{
    if (text.empty())
        return {};

    const auto size = WideCharToMultiByte (CP_UTF8, 0, text.data(), (int) text.size(), nullptr, 0, nullptr, nullptr);
    std::string result ((size_t) size, '\0');
    WideCharToMultiByte (CP_UTF8, 0, text.data(), (int) text.size(), result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring toJson (const std::wstring& text)
{
    std::wstring result = L"\"";

    for (const auto c : text)
    {
        if (c == L'"' || c == L'\\')
        {
            result += L'\\';
            result += c;
        }
        else if (c < 0x20)
        {
            wchar_t escaped[8] = {};
            wsprintfW (escaped, L"\\u%04x", (unsigned) c);
            result += escaped;
        }
        else
        {
            result += c;
        }
    }

    return result + L"\"";
}

std::wstring toJson (const std::vector<std::wstring>& texts)
{
    std::wstring result = L"[";

    for (size_t i = 0; i < texts.size(); ++i)
        result += (i > 0 ? L", " : L"") + toJson (texts[i]);

    return result + L"]";
}

std::wstring getWindowText (HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW (window, text, (int) (sizeof (text) / sizeof (text[0])));
    return text;
}

//==============================================================================
/** The one run of this process. */
struct Run
{
    HINSTANCE instance = nullptr;
    std::wstring program, commandLine, title, scenarioName;
    std::vector<std::wstring> arguments, pagesShown, presses;
    const Scenario* scenario = nullptr;
    size_t pageIndex = 0;
    HWND dialog = nullptr;
    bool ended = false;

    void readCommandLine()
    {
        wchar_t path[MAX_PATH * 2] = {};
        GetModuleFileNameW (nullptr, path, (DWORD) (sizeof (path) / sizeof (path[0])));
        program = path;
        commandLine = GetCommandLineW();

        int count = 0;

        if (auto** parsed = CommandLineToArgvW (GetCommandLineW(), &count))
        {
            for (int i = 1; i < count; ++i)
                arguments.push_back (parsed[i]);

            LocalFree (parsed);
        }

        // "<title>.<scenario>.exe"; a name without a scenario word is silent.
        auto stem = program.substr (program.find_last_of (L"\\/") + 1);

        if (stem.size() > 4 && lstrcmpiW (stem.c_str() + stem.size() - 4, L".exe") == 0)
            stem.resize (stem.size() - 4);

        const auto dot = stem.find_last_of (L'.');
        scenarioName = L"silent";
        title = stem;

        if (dot != std::wstring::npos && dot > 0)
            for (const auto& candidate : scenarios)
                if (stem.substr (dot + 1) == candidate.name)
                {
                    scenarioName = candidate.name;
                    title = stem.substr (0, dot);
                }

        for (const auto& argument : arguments)
        {
            if (argument.rfind (L"--scenario=", 0) == 0)
                scenarioName = argument.substr (11);
            else if (argument.rfind (L"--title=", 0) == 0)
                title = argument.substr (8);
        }

        for (const auto& candidate : scenarios)
            if (scenarioName == candidate.name)
                scenario = &candidate;
    }

    int record (const std::wstring& outcome) const
    {
        const auto line = L"{\"program\": " + toJson (program)
                          + L", \"commandLine\": " + toJson (commandLine)
                          + L", \"arguments\": " + toJson (arguments)
                          + L", \"scenario\": " + toJson (scenarioName)
                          + L", \"pages\": " + toJson (pagesShown)
                          + L", \"presses\": " + toJson (presses)
                          + L", \"outcome\": " + toJson (outcome) + L"}\n";

        const auto bytes = toUtf8 (line);
        const auto file = CreateFileW ((program + L".record").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);

        if (file != INVALID_HANDLE_VALUE)
        {
            DWORD written = 0;
            WriteFile (file, bytes.data(), (DWORD) bytes.size(), &written, nullptr);
            CloseHandle (file);
        }

        return getExitCode (outcome);
    }

    /** Closes the dialog, records the run and lets the message loop end. */
    void end (const std::wstring& outcome)
    {
        if (ended)
            return;

        ended = true;

        if (dialog != nullptr)
        {
            auto* closing = dialog;
            dialog = nullptr;
            DestroyWindow (closing);
        }

        PostQuitMessage (record (outcome));
    }

    void showPage (size_t index);

    void showNextPage()
    {
        if (pageIndex + 1 < scenario->pages.size())
            showPage (pageIndex + 1);
        else
            end (L"installed");
    }

    Page getPage() const { return scenario->pages[pageIndex]; }
};

Run run;

INT_PTR CALLBACK handlePageMessage (HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
        case WM_INITDIALOG:
            return TRUE;

        case WM_COMMAND:
            if (window != run.dialog || HIWORD (wParam) != BN_CLICKED)
                return FALSE;

            if (lParam != 0)
                run.presses.push_back (getWindowText (reinterpret_cast<HWND> (lParam)));

            switch (LOWORD (wParam))
            {
                case IDC_NEXT:
                    run.showNextPage();
                    break;
                case IDC_EXIT:
                    run.end (run.getPage() == Page::failed ? L"failed" : L"installed");
                    break;
                case IDC_REBOOT_NOW:
                    run.end (L"reboot now");
                    break;
                case IDC_REBOOT_LATER:
                    run.end (L"installed");
                    break;
                case IDC_CANCEL:
                case IDCANCEL:
                    run.end (L"cancelled");
                    break;
                default:
                    break;
            }

            return TRUE;

        case WM_TIMER:
            if (window != run.dialog)
                return FALSE;

            KillTimer (window, wParam);

            if (wParam == driverInstallTimer)
                run.showNextPage();
            else if (wParam == pageTimeoutTimer)
                run.end (L"abandoned");

            return TRUE;

        case WM_CLOSE:
            run.end (L"cancelled");
            return TRUE;

        default:
            return FALSE;
    }
}

void Run::showPage (size_t index)
{
    pageIndex = index;
    const auto page = getPage();

    auto* next = CreateDialogParamW (instance, MAKEINTRESOURCEW (getDialogResource (page)), nullptr, handlePageMessage, 0);

    if (next == nullptr)
    {
        end (L"no dialog");
        return;
    }

    SetWindowTextW (next, title.c_str());

    if (page == Page::start)
        SetDlgItemTextW (next, IDC_HEADING, (L"Welcome to the " + title + L" wizard.").c_str());

    if (page == Page::language)
    {
        const auto languages = GetDlgItem (next, IDC_LANGUAGES);
        SendMessageW (languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM> (L"English"));
        SendMessageW (languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM> (L"\x4e2d\x6587"));
        SendMessageW (languages, CB_SETCURSEL, 0, 0);
    }

    SetTimer (next, page == Page::installing ? driverInstallTimer : pageTimeoutTimer, page == Page::installing ? driverInstallMs : pageTimeoutMs, nullptr);

    // The new page is on the screen before the old one goes, so no moment
    // passes without the installer's dialog.
    ShowWindow (next, SW_SHOW);
    pagesShown.push_back (getPageName (page));

    auto* previous = dialog;
    dialog = next;

    if (previous != nullptr)
        DestroyWindow (previous);
}
} // namespace

int WINAPI WinMain (HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    run.instance = instance;
    run.readCommandLine();

    if (run.scenario == nullptr)
        return run.record (L"unknown scenario");

    if (run.scenario->pages.empty())
        return run.record (L"installed");

    run.showPage (0);

    MSG message;

    while (GetMessageW (&message, nullptr, 0, 0) > 0)
    {
        if (run.dialog != nullptr && IsDialogMessageW (run.dialog, &message))
            continue;

        TranslateMessage (&message);
        DispatchMessageW (&message);
    }

    return (int) message.wParam;
}
