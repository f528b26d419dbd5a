// The program that the NSIS test installer installs: it notes where it was
// started from and shows a small window with its name, as an installed
// program of the maker would, until it is closed (or for two minutes).
//
// Each start appends one line to "<own path>.started": the current
// directory it was started in.

#include <windows.h>

#include <string>

namespace
{
const wchar_t* const title = L"Velmora Shortcut Plugin";

void noteStart()
{
    wchar_t own[MAX_PATH * 2] = {};
    wchar_t current[MAX_PATH * 2] = {};
    GetModuleFileNameW (nullptr, own, MAX_PATH * 2);
    GetCurrentDirectoryW (MAX_PATH * 2, current);

    const auto record = std::wstring (own) + L".started";
    const auto file = CreateFileW (record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);

    if (file == INVALID_HANDLE_VALUE)
        return;

    const auto line = std::wstring (current) + L"\r\n";
    char utf8[MAX_PATH * 8] = {};
    const auto length = WideCharToMultiByte (CP_UTF8, 0, line.c_str(), (int) line.size(), utf8, (int) sizeof (utf8), nullptr, nullptr);
    DWORD written = 0;
    WriteFile (file, utf8, (DWORD) length, &written, nullptr);
    CloseHandle (file);
}

LRESULT CALLBACK windowProcedure (HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
        case WM_PAINT:
        {
            PAINTSTRUCT paint;
            auto* dc = BeginPaint (window, &paint);
            RECT client;
            GetClientRect (window, &client);
            DrawTextW (dc, L"Velmora Shortcut Plugin is running.", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            EndPaint (window, &paint);
            return 0;
        }

        case WM_TIMER:
            DestroyWindow (window);
            return 0;

        case WM_DESTROY:
            PostQuitMessage (0);
            return 0;

        default:
            return DefWindowProcW (window, message, wParam, lParam);
    }
}
} // namespace

int WINAPI WinMain (HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    noteStart();

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor (nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH) (COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"VelmoraShortcutPlugin";
    RegisterClassW (&windowClass);

    const auto window = CreateWindowW (windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 360, 160, nullptr, nullptr, instance, nullptr);

    if (window == nullptr)
        return 1;

    SetTimer (window, 1, 120000, nullptr);

    MSG message;

    while (GetMessageW (&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage (&message);
        DispatchMessageW (&message);
    }

    return 0;
}
