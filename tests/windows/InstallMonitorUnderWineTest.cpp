#include <gtest/gtest.h>

#include "download/InstallMonitor.h"
#include "download/InstallerLauncher.h"
#include "support/LogCapture.h"
#include "support/TemporaryFolder.h"
#include "support/WindowsFakeInstaller.h"
#include "support/WindowsTestSupport.h"

#include <windows.h>

#include <atomic>
#include <thread>

// The dialog automation with the real user32 calls, against the fake
// installer's "#32770" dialogs: every page is found by FindWindowExA, read
// with GetWindowTextW/A and pressed with BM_CLICK as the download monitor
// does it, every 500 ms, until the installation is done or has failed.

namespace
{
struct Outcome
{
    juce::String result; // the first answer that is not "still"
    juce::String windowTitle;
    WindowsFakeInstaller::Run run;
    juce::StringArray log;
};

/** Polls the way the download monitor does; the time-out is a safety net. */
juce::String answerUntilTheEnd (InstallMonitor& monitor)
{
    const auto end = juce::Time::getMillisecondCounter() + 30000;

    while (juce::Time::getMillisecondCounter() < end)
    {
        if (monitor.findInstallerWindow())
            if (const auto result = monitor.analyseWindow(); result != InstallMonitor::resultStill)
                return result;

        Sleep (500);
    }

    return {};
}

Outcome installWith (const juce::String& scenario)
{
    TemporaryFolder folder;
    WindowsFakeInstaller::EndGuard guard (folder.getFolder());
    const auto installer = WindowsFakeInstaller::placeCopyAt (folder / ("VelmoraTmp\\QX4 Driver\\Velmora QX4 Setup." + scenario + ".exe"));

    LogCapture log;
    Outcome outcome;
    EXPECT_TRUE (launchInstaller ("cn", "Driver", installer.getFullPathName()));

    InstallMonitor monitor ("QX4 (USB Audio)");
    outcome.result = answerUntilTheEnd (monitor);
    outcome.windowTitle = monitor.getWindowTitle();

    if (outcome.result.isEmpty())
    {
        ADD_FAILURE() << "the dialog was never answered to its end";
        return outcome; // the guard ends the installer
    }

    EXPECT_TRUE (WindowsFakeInstaller::waitForInstallersToEnd()) << "the installer ends once answered";
    EXPECT_FALSE (monitor.findInstallerWindow()) << "and its dialog is gone";

    const auto runs = WindowsFakeInstaller::readRuns (installer);
    EXPECT_EQ (runs.size(), 1u);

    if (! runs.empty())
        outcome.run = runs.front();

    outcome.log = log.getLines();
    return outcome;
}

const juce::StringArray clickedToTheDriverPage { "<InstallMonitor::analyseWindow> clicked OK button",
                                                 "<InstallMonitor::analyseWindow> clicked Install button" };

juce::String findDialogTitle (const wchar_t* title)
{
    return FindWindowW (L"#32770", title) != nullptr ? juce::String (title) : juce::String();
}
} // namespace

TEST (InstallMonitorUnderWine, SuccessfulInstallationIsAnsweredPageByPageUpToExit)
{
    const auto outcome = installWith ("success");
    EXPECT_EQ (outcome.result, "done");
    EXPECT_EQ (outcome.windowTitle, "Velmora QX4 Setup");
    EXPECT_EQ (outcome.run.arguments, juce::StringArray ("/S", "/allusers"));
    EXPECT_EQ (outcome.run.pages, juce::StringArray ("language", "start", "installing", "completed"));
    EXPECT_EQ (outcome.run.presses, juce::StringArray ("OK", "INSTALL", "E&xit")) << "each page pressed once, the driver page never";
    EXPECT_EQ (outcome.run.outcome, "installed");

    auto expectedLog = clickedToTheDriverPage;
    expectedLog.add ("<InstallMonitor::analyseWindow> clicked exit button");
    EXPECT_EQ (outcome.log, expectedLog);
}

TEST (InstallMonitorUnderWine, RestartQuestionIsAnsweredWithRebootLater)
{
    const auto outcome = installWith ("reboot");
    EXPECT_EQ (outcome.result, "done");
    EXPECT_EQ (outcome.run.pages, juce::StringArray ("language", "start", "installing", "reboot question"));
    EXPECT_EQ (outcome.run.presses, juce::StringArray ("OK", "INSTALL", "Reboot later"));
    EXPECT_EQ (outcome.run.outcome, "installed");

    auto expectedLog = clickedToTheDriverPage;
    expectedLog.add ("<InstallMonitor::analyseWindow> clicked not reboot button");
    EXPECT_EQ (outcome.log, expectedLog);
}

TEST (InstallMonitorUnderWine, FailurePageGivesItsSecondStaticTextAndIsClosed)
{
    const auto outcome = installWith ("failure");
    EXPECT_EQ (outcome.result, "Unfortunately the installation failed. (7)");
    EXPECT_EQ (outcome.run.pages, juce::StringArray ("language", "start", "installing", "failed"));
    EXPECT_EQ (outcome.run.presses, juce::StringArray ("OK", "INSTALL", "E&xit"));
    EXPECT_EQ (outcome.run.outcome, "failed");
    EXPECT_EQ (outcome.log, clickedToTheDriverPage) << "the exit press on a failure page is not logged";
}

TEST (InstallMonitorUnderWine, DialogsOfOtherProgramsAreLeftAlone)
{
    TemporaryFolder folder;
    WindowsFakeInstaller::EndGuard guard (folder.getFolder());
    const auto other = WindowsFakeInstaller::placeCopyAt (folder / "Quasar Hub Setup.success.exe");
    ASSERT_TRUE (launchInstaller ("cn", "Driver", other.getFullPathName()));

    const auto end = juce::Time::getMillisecondCounter() + 30000;

    while (findDialogTitle (L"Quasar Hub Setup").isEmpty() && juce::Time::getMillisecondCounter() < end)
        Sleep (50);

    ASSERT_EQ (findDialogTitle (L"Quasar Hub Setup"), "Quasar Hub Setup");

    // Neither the name, its first five characters nor "velmora" is in the title.
    InstallMonitor qx4 ("QX4 (USB Audio)");
    EXPECT_FALSE (qx4.findInstallerWindow());
    EXPECT_EQ (qx4.analyseWindow(), "still");

    InstallMonitor longName ("Tessel Max Pro");
    EXPECT_FALSE (longName.findInstallerWindow());

    // Its own name finds it, blanks left out.
    InstallMonitor quasar ("Quasar Hub");
    ASSERT_TRUE (quasar.findInstallerWindow());
    EXPECT_EQ (quasar.getWindowTitle(), "Quasar Hub Setup");
}

namespace
{
/** A dialog with an "OK" button on a thread of its own; while `hangs` is
    set, handling the button's click blocks that thread until release().
*/
class DialogThatMayHang
{
public:
    DialogThatMayHang()
        : thread ([this]
                  { run(); })
    {
        WaitForSingleObject (ready, INFINITE);
    }

    ~DialogThatMayHang()
    {
        release();
        PostMessageW (dialog, WM_CLOSE, 0, 0);
        thread.join();
        CloseHandle (ready);
        CloseHandle (released);
    }

    void release() { SetEvent (released); }

    HWND button = nullptr;
    std::atomic<bool> hangs { false };
    std::atomic<int> clicksTaken { 0 };

private:
    static LRESULT CALLBACK procedure (HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<DialogThatMayHang*> (GetWindowLongPtrW (hwnd, GWLP_USERDATA));

        if (message == WM_COMMAND && self != nullptr)
        {
            if (self->hangs)
                WaitForSingleObject (self->released, 30000);

            ++self->clicksTaken;
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
        windowClass.lpszClassName = L"StratosetHangingDialog";
        RegisterClassW (&windowClass);

        dialog = CreateWindowW (windowClass.lpszClassName, L"Hanging dialog 5c1e", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW (dialog, GWLP_USERDATA, (LONG_PTR) this);
        button = CreateWindowW (L"Button", L"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 60, 24, dialog, nullptr, windowClass.hInstance, nullptr);
        SetEvent (ready);

        MSG message;

        while (GetMessageW (&message, nullptr, 0, 0) > 0)
        {
            TranslateMessage (&message);
            DispatchMessageW (&message);
        }
    }

    HANDLE ready = CreateEventW (nullptr, TRUE, FALSE, nullptr);
    HANDLE released = CreateEventW (nullptr, TRUE, FALSE, nullptr);
    HWND dialog = nullptr;
    std::thread thread;
};
} // namespace

TEST (InstallMonitorUnderWine, ClickOnADialogThatDoesNotAnswerIsGivenUpAfterItsBound)
{
    using Outcome = platform::WindowAutomationService::ClickOutcome;
    auto& windows = platform::windowAutomation();
    DialogThatMayHang dialog;
    const auto button = reinterpret_cast<platform::WindowHandle> (dialog.button);

    EXPECT_EQ (windows.click (button), Outcome::taken);
    EXPECT_EQ (dialog.clicksTaken.load(), 1);

    // Its thread blocks in the click: the caller is back after the bound,
    // not when the dialog answers.
    dialog.hangs = true;
    const auto start = GetTickCount();
    EXPECT_EQ (windows.click (button), Outcome::notAnswering);
    const auto took = GetTickCount() - start;
    EXPECT_LT (took, (DWORD) platform::WindowAutomationService::clickTimeoutMs + 2000);
    EXPECT_EQ (dialog.clicksTaken.load(), 1);

    dialog.release();
    EXPECT_EQ (windows.click (0), Outcome::noControl);
}
