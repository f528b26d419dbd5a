#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"
#include "support/WindowsTestSupport.h"

#include <atomic>
#include <thread>

// hung_window_probe.exe, which the whole-flow test runs beside the program:
// it must see a window that stops taking messages for a while.

namespace
{
const wchar_t* const targetTitle = L"Probe target 7f3a";
constexpr UINT stallMessage = WM_APP + 1;
constexpr DWORD stallMs = 1500;

/** A window on a thread of its own that takes its messages, except that
    it stops for stallMs when it is sent stallMessage.
*/
class StallingWindow
{
public:
    StallingWindow()
        : thread ([this]
                  { run(); })
    {
        while (window.load() == nullptr)
            Sleep (5);
    }

    ~StallingWindow()
    {
        PostMessageW (window, WM_CLOSE, 0, 0);
        thread.join();
    }

    void stall() { PostMessageW (window, stallMessage, 0, 0); }

    void close() { PostMessageW (window, WM_CLOSE, 0, 0); }

private:
    static LRESULT CALLBACK procedure (HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == stallMessage)
        {
            Sleep (stallMs);
            return 0;
        }

        if (message == WM_DESTROY)
        {
            PostQuitMessage (0);
            return 0;
        }

        return DefWindowProcW (hwnd, message, wParam, lParam);
    }

    void run()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW (nullptr);
        windowClass.lpszClassName = L"StratosetProbeTarget";
        RegisterClassW (&windowClass);

        window = CreateWindowW (windowClass.lpszClassName, targetTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);

        MSG message;

        while (GetMessageW (&message, nullptr, 0, 0) > 0)
        {
            TranslateMessage (&message);
            DispatchMessageW (&message);
        }
    }

    std::atomic<HWND> window { nullptr };
    std::thread thread;
};

/** A figure of the probe's file ("answers", "longest_ms", ...), or -1. */
long readFigure (const juce::File& figures, const juce::String& name)
{
    juce::StringArray lines;
    figures.readLines (lines);

    for (const auto& line : lines)
        if (line.upToFirstOccurrenceOf (" ", false, false) == name)
            return line.fromFirstOccurrenceOf (" ", false, false).getLargeIntValue();

    return -1;
}

template <typename Predicate>
bool waitUntil (Predicate done, int timeoutMs = 30000)
{
    for (int waited = 0; ! done(); waited += 20)
    {
        if (waited > timeoutMs)
            return false;

        Sleep (20);
    }

    return true;
}
} // namespace

TEST (HungWindowProbeUnderWine, ReportsTheLongestWaitOfAWindowThatStoppedTakingMessages)
{
    TemporaryFolder folder;
    const auto figures = folder / "figures.txt";
    StallingWindow target;

    const auto probe = WindowsTestSupport::getProgramBesideRunner ("hung_window_probe.exe");
    std::wstring commandLine = L"\"" + std::wstring (probe.getFullPathName().toWideCharPointer()) + L"\" \"" + targetTitle + L"\" \""
                               + figures.getFullPathName().toWideCharPointer() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof (startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE (CreateProcessW (nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));

    // Answered while the window takes its messages; a stall shows as one
    // long wait, at least most of the stall however slow the machine.
    ASSERT_TRUE (waitUntil ([&]
                            { return readFigure (figures, "answers") >= 3; }))
        << figures.loadFileAsString();

    target.stall();
    const auto answersBefore = readFigure (figures, "answers");
    EXPECT_TRUE (waitUntil ([&]
                            { return readFigure (figures, "answers") >= answersBefore + 3; }))
        << figures.loadFileAsString();
    EXPECT_GE (readFigure (figures, "longest_ms"), 1000) << figures.loadFileAsString();
    EXPECT_EQ (readFigure (figures, "unanswered"), 0);

    // The window's place, for the clicks of the flow.
    EXPECT_TRUE (figures.loadFileAsString().contains ("window ")) << figures.loadFileAsString();

    // It ends when the window has gone.
    target.close();
    EXPECT_EQ (WaitForSingleObject (process.hProcess, 30000), WAIT_OBJECT_0);
    TerminateProcess (process.hProcess, 1);
    CloseHandle (process.hThread);
    CloseHandle (process.hProcess);
}
