// Asks a program's window every 50 ms whether it still takes messages, as
// Windows does before it calls a window "Not Responding": WM_NULL sent with
// SendMessageTimeout, timed until the answer comes. It also tells a script
// where the window and the program's question box are, so that the script
// can click them on the screen.
//
//   hung_window_probe.exe <title start> <figures file>
//
// The window is the first visible top-level window whose title starts with
// <title start>. The probe ends when that window has gone, or when a file
// named "<figures file>.stop" appears. After every round it rewrites the
// figures file:
//   window <x> <y> <width> <height>   the client area, in screen coordinates
//   box <x> <y> <width> <height>      a visible top-level window of the same
//                                     program titled " " (JUCE's question box)
//   answers <count>
//   longest_ms <milliseconds>         the longest wait for an answer so far
//   unanswered <count>                sends that timed out (10 s)

#include <windows.h>

#include <cstdio>
#include <string>

namespace
{
struct Search
{
    std::wstring titleStart;
    DWORD processId = 0;
    HWND found = nullptr;
};

std::wstring getTitle (HWND window)
{
    wchar_t title[256] = {};
    GetWindowTextW (window, title, 256);
    return title;
}

BOOL CALLBACK findByTitle (HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<Search*> (parameter);

    if (! IsWindowVisible (window) || getTitle (window).rfind (search.titleStart, 0) != 0)
        return TRUE;

    search.found = window;
    return FALSE;
}

BOOL CALLBACK findQuestionBox (HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<Search*> (parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId (window, &owner);

    if (owner != search.processId || ! IsWindowVisible (window) || getTitle (window) != L" ")
        return TRUE;

    search.found = window;
    return FALSE;
}

std::string describeClientArea (HWND window)
{
    RECT client = {};
    POINT origin = {};
    GetClientRect (window, &client);
    ClientToScreen (window, &origin);
    char text[128];
    std::snprintf (text, sizeof (text), "%ld %ld %ld %ld", origin.x, origin.y, client.right, client.bottom);
    return text;
}

void writeFigures (const std::wstring& path, const std::string& text)
{
    const auto scratch = path + L".new";
    const auto file = CreateFileW (scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);

    if (file == INVALID_HANDLE_VALUE)
        return;

    DWORD written = 0;
    WriteFile (file, text.data(), (DWORD) text.size(), &written, nullptr);
    CloseHandle (file);
    MoveFileExW (scratch.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

double nowMs()
{
    static LARGE_INTEGER frequency = []
    { LARGE_INTEGER f; QueryPerformanceFrequency (&f); return f; }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter (&counter);
    return (double) counter.QuadPart * 1000.0 / (double) frequency.QuadPart;
}
} // namespace

int wmain (int argc, wchar_t** argv)
{
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: hung_window_probe.exe <title start> <figures file>\n");
        return 2;
    }

    const std::wstring titleStart = argv[1];
    const std::wstring figures = argv[2];
    const auto stopFile = figures + L".stop";

    HWND window = nullptr;
    DWORD processId = 0;
    long answers = 0, unanswered = 0;
    double longest = 0.0;

    while (GetFileAttributesW (stopFile.c_str()) == INVALID_FILE_ATTRIBUTES)
    {
        const auto roundStart = nowMs();

        if (window == nullptr)
        {
            Search search { titleStart };
            EnumWindows (findByTitle, reinterpret_cast<LPARAM> (&search));
            window = search.found;

            if (window != nullptr)
                GetWindowThreadProcessId (window, &processId);
        }
        else if (! IsWindow (window))
        {
            break;
        }

        std::string text;

        if (window != nullptr)
        {
            DWORD_PTR result = 0;
            const auto sent = nowMs();
            const auto answered = SendMessageTimeoutW (window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
            const auto waited = nowMs() - sent;

            if (answered)
                ++answers;
            else if (IsWindow (window))
                ++unanswered;

            if (waited > longest)
                longest = waited;

            text += "window " + describeClientArea (window) + "\n";

            Search box { L"", processId };
            EnumWindows (findQuestionBox, reinterpret_cast<LPARAM> (&box));

            if (box.found != nullptr)
                text += "box " + describeClientArea (box.found) + "\n";
        }

        char counts[160];
        std::snprintf (counts, sizeof (counts), "answers %ld\nlongest_ms %.0f\nunanswered %ld\n", answers, longest, unanswered);
        writeFigures (figures, text + counts);

        const auto spent = nowMs() - roundStart;

        if (spent < 50.0)
            Sleep ((DWORD) (50.0 - spent));
    }

    return 0;
}
