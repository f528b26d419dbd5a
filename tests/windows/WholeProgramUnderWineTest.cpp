#include <gtest/gtest.h>

#include "support/WindowsTestSupport.h"

// The real Stratoset.exe, started as a user would start it.

namespace
{
juce::String getTitle (HWND window)
{
    wchar_t title[256] = {};
    GetWindowTextW (window, title, (int) std::size (title));
    return juce::String (title);
}

int countWelcomeLines (const juce::File& log)
{
    juce::StringArray lines;
    lines.addLines (log.loadFileAsString());
    int count = 0;

    for (const auto& line : lines)
        if (line == "Stratoset version: 1.1.17")
            ++count;

    return count;
}

int countDarkPixels (const juce::Image& image, juce::Rectangle<int> area)
{
    int count = 0;

    for (auto y = area.getY(); y < area.getBottom(); ++y)
        for (auto x = area.getX(); x < area.getRight(); ++x)
            if (image.getPixelAt (x, y).getPerceivedBrightness() < 0.5f)
                ++count;

    return count;
}

/** A started program that is ended at the latest when this goes. */
class StartedProgram
{
public:
    explicit StartedProgram (const juce::File& program)
    {
        STARTUPINFOW startup = {};
        startup.cb = sizeof (startup);
        auto commandLine = "\"" + program.getFullPathName() + "\"";
        std::wstring mutableCommandLine (commandLine.toWideCharPointer());

        started = CreateProcessW (program.getFullPathName().toWideCharPointer(), mutableCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)
                  != 0;
    }

    ~StartedProgram()
    {
        if (! started)
            return;

        if (WaitForSingleObject (process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess (process.hProcess, 99);

        CloseHandle (process.hThread);
        CloseHandle (process.hProcess);
    }

    /** The program's first visible top-level window; waits up to `seconds`. */
    HWND waitForWindow (int seconds) const
    {
        for (int tick = 0; tick < seconds * 10; ++tick)
        {
            if (auto* window = WindowsTestSupport::findVisibleWindowOfProcess (process.dwProcessId))
                return window;

            if (WaitForSingleObject (process.hProcess, 100) == WAIT_OBJECT_0)
                return nullptr; // it ended without a window
        }

        return nullptr;
    }

    /** The exit code, or -1 when the program is still running after `seconds`. */
    long waitForExit (int seconds) const
    {
        if (WaitForSingleObject (process.hProcess, (DWORD) seconds * 1000) != WAIT_OBJECT_0)
            return -1;

        DWORD exitCode = 0;
        GetExitCodeProcess (process.hProcess, &exitCode);
        return (long) exitCode;
    }

    bool started = false;

private:
    PROCESS_INFORMATION process = {};
};
} // namespace

TEST (WholeProgramUnderWine, StartsShowsItsWindowWritesItsRunLogAndQuitsWhenClosed)
{
    const auto program = WindowsTestSupport::getProgramBesideRunner ("Stratoset.exe");
    ASSERT_TRUE (program.existsAsFile()) << program.getFullPathName();

    const auto log = WindowsTestSupport::getRoamingApplicationDataFolder()
                         .getChildFile ("Velmora\\Stratoset\\runtimeLog.txt");
    const auto runsBefore = countWelcomeLines (log);

    StartedProgram started (program);
    ASSERT_TRUE (started.started);

    // Generous: the time-out is only a safety net.
    const auto window = started.waitForWindow (60);
    ASSERT_NE (window, nullptr) << "no visible window";

    // The interface may add a blank or a mode to the title base.
    EXPECT_TRUE (getTitle (window).startsWith ("Stratoset 1.1.17")) << getTitle (window);

    RECT client;
    ASSERT_TRUE (GetClientRect (window, &client));
    EXPECT_EQ (client.right - client.left, 600);
    EXPECT_EQ (client.bottom - client.top, 400);

    // A native title bar with minimise, maximise and close, and a resizable frame.
    const auto style = (DWORD) GetWindowLongW (window, GWL_STYLE);
    EXPECT_EQ (style & WS_CAPTION, (DWORD) WS_CAPTION);
    EXPECT_NE (style & WS_THICKFRAME, 0u);
    EXPECT_NE (style & WS_MINIMIZEBOX, 0u);
    EXPECT_NE (style & WS_MAXIMIZEBOX, 0u);

    // The log is opened before the window is made.
    EXPECT_EQ (countWelcomeLines (log), runsBefore + 1) << log.getFullPathName();

    // The interface is drawn: its white page, the logo at (10, 5) and the
    // product label at (30, 60), whose Chinese text needs the YaHei face
    // (a face without its glyphs draws nothing there).
    juce::Image picture;

    for (int attempt = 0; attempt < 30; ++attempt)
    {
        picture = WindowsTestSupport::captureClientArea (window);

        if (countDarkPixels (picture, { 30, 60, 80, 30 }) > 0)
            break;
    }

    ASSERT_TRUE (picture.isValid());
    EXPECT_EQ (picture.getPixelAt (450, 250), juce::Colours::white);
    EXPECT_EQ (picture.getPixelAt (5, 395), juce::Colours::white);
    EXPECT_GT (countDarkPixels (picture, { 10, 5, 81, 18 }), 100) << "the logo";
    EXPECT_GT (countDarkPixels (picture, { 30, 60, 80, 30 }), 40) << "the product label's text";

    // A picture for people to look at.
    const juce::File screenshot (juce::String (STRATOSET_SCREENSHOT_DIR) + "\\stratoset-window.png");
    EXPECT_TRUE (WindowsTestSupport::saveWindowScreenshot (window, screenshot));

    PostMessageW (window, WM_CLOSE, 0, 0);
    EXPECT_EQ (started.waitForExit (60), 0);
}
