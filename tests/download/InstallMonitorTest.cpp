#include <gtest/gtest.h>

#include <thread>

#include "download/InstallMonitor.h"
#include "support/FakeWindowAutomation.h"
#include "support/LogCapture.h"

namespace
{
using Page = std::vector<FakeWindowAutomation::Control>;

const juce::String languagePrompt = "Please choose your language below:";
const juce::String completedText = "The installation completed successfully. It's not necessary to reboot.";
const juce::String failureText = "Unfortunately the installation failed. (7)";
} // namespace

TEST (InstallMonitor, FindsTheInstallerDialogByItsTitle)
{
    struct Case
    {
        juce::String deviceName;
        juce::StringArray titles; // "#32770" windows in their order
        juce::String expectedTitle; // empty: none is the installer's
        juce::String normalisedName;
    };

    const Case cases[] = {
        { "QX4 (Audio Interface)", { "Notepad", "QX4 Audio Setup" }, "QX4 Audio Setup", "QX4" },
        { "QX4", { "Q X 4 Driver" }, "Q X 4 Driver", "QX4" },
        { "QX4", { "qx4 driver" }, "", "QX4" },
        { "Nova Mini Pro", { "NovaMk2 Driver" }, "NovaMk2 Driver", "NovaMiniPro" },
        { "Arc 2", { "Arc 3 Setup", "alternative Name" }, "alternative Name", "Arc2" },
        { "Arc 2", { "Arc 3 Setup", "Arc2 MkII Setup" }, "Arc2 MkII Setup", "Arc2" },
        { "QX4", { "Photos", "Velmora HubDriver Setup" }, "Velmora HubDriver Setup", "QX4" },
        { "", { "", "Photos" }, "Photos", "" },
        { "QX4", {}, "", "QX4" },
    };

    for (const auto& c : cases)
    {
        FakeWindowAutomation windows;
        windows.addWindow ("Shell_TrayWnd", "QX4 Velmora");

        for (const auto& title : c.titles)
            windows.addWindow ("#32770", title);

        InstallMonitor monitor (c.deviceName);
        EXPECT_EQ (monitor.findInstallerWindow(), c.expectedTitle.isNotEmpty()) << c.deviceName;
        EXPECT_EQ (monitor.getWindowTitle(), c.expectedTitle) << c.deviceName;

        if (! c.titles.isEmpty())
        {
            EXPECT_EQ (monitor.getName(), c.normalisedName) << "kept normalised";
        }
    }
}

TEST (InstallMonitor, AnswersEveryKnownPage)
{
    struct Case
    {
        const char* page;
        Page controls;
        juce::String result, click, logLine;
    };

    const Case cases[] = {
        { "language choice", { { "Static", languagePrompt }, { "ComboBox", "English" }, { "Button", "OK" } }, "still", "OK", "<InstallMonitor::analyseWindow> clicked OK button" },
        { "OK without the language prompt", { { "Static", "Read me" }, { "Button", "OK" } }, "still", "", "" },
        { "start", { { "Static", "Welcome" }, { "Button", "Cancel" }, { "Button", "INSTALL" } }, "still", "INSTALL", "<InstallMonitor::analyseWindow> clicked Install button" },
        { "drivers before the restart question", { { "Static", "Installing USB drivers." }, { "Button", "Reboot later" } }, "still", "", "" },
        { "restart question", { { "Static", "Restart?" }, { "Button", "Reboot now" }, { "Button", "Reboot later" } }, "done", "Reboot later", "<InstallMonitor::analyseWindow> clicked not reboot button" },
        { "completed", { { "Static", completedText }, { "Button", "E&xit" } }, "done", "E&xit", "<InstallMonitor::analyseWindow> clicked exit button" },
        { "E&xit without the completed text", { { "Static", "Done?" }, { "Button", "E&xit" } }, "still", "", "" },
        { "failed", { { "Static", "Installation failed" }, { "Button", "E&xit" }, { "Static", failureText } }, failureText, "E&xit", "" },
        { "failed without E&xit", { { "Static", "Error" }, { "Static", failureText } }, failureText, "", "" },
        { "failure text in the first static", { { "Static", failureText }, { "Button", "E&xit" } }, "still", "", "" },
        { "failure text in the third static", { { "Static", "a" }, { "Static", "b" }, { "Static", failureText } }, "still", "", "" },
        { "no static at all", { { "Button", "E&xit" } }, "still", "", "" },
    };

    for (const auto& c : cases)
    {
        FakeWindowAutomation windows;
        windows.addWindow ("#32770", "Velmora QX4 Setup", c.controls);

        LogCapture log;
        InstallMonitor monitor ("QX4");
        ASSERT_TRUE (monitor.findInstallerWindow());
        EXPECT_EQ (monitor.analyseWindow(), c.result) << c.page;
        EXPECT_EQ (windows.clicks, c.click.isEmpty() ? juce::StringArray() : juce::StringArray ("Velmora QX4 Setup/" + c.click)) << c.page;
        EXPECT_EQ (log.getLines(), c.logLine.isEmpty() ? juce::StringArray() : juce::StringArray (c.logLine)) << c.page;
    }
}

TEST (InstallMonitor, DialogThatCannotBeFoundAgainIsStillRunning)
{
    FakeWindowAutomation windows;
    InstallMonitor monitor ("QX4");
    EXPECT_EQ (monitor.analyseWindow(), "still") << "nothing found yet";

    const auto dialog = windows.addWindow ("#32770", "QX4 Setup", { { "Button", "INSTALL" } });
    ASSERT_TRUE (monitor.findInstallerWindow());
    windows.close (dialog);

    // A dialog without a title and with the same page must not be pressed instead.
    windows.addWindow ("#32770", "", { { "Button", "INSTALL" } });
    EXPECT_EQ (monitor.analyseWindow(), "still");
    EXPECT_TRUE (windows.clicks.isEmpty());
    EXPECT_EQ (monitor.getLastPage(), InstallMonitor::Page::none);
}

TEST (InstallMonitor, DialogTheAnsiSearchCannotFindAgainIsStillAnswered)
{
    // The wide search finds it; FindWindowA, given its title in the system's
    // code page, does not: the page is read and pressed all the same.
    FakeWindowAutomation windows;
    const auto title = juce::String (juce::CharPointer_UTF8 ("QX4 \xe5\xae\x89\xe8\xa3\x85\xe7\xa8\x8b\xe5\xba\x8f"));
    windows.addWindow ("#32770", title, { { "Static", "Welcome" }, { "Static", "Step 1" }, { "Button", "INSTALL" } });

    LogCapture log;
    InstallMonitor monitor ("QX4");
    ASSERT_TRUE (monitor.findInstallerWindow());
    EXPECT_EQ (monitor.analyseWindow(), "still");
    EXPECT_EQ (monitor.getLastPage(), InstallMonitor::Page::start);
    EXPECT_EQ (monitor.getLastTexts(), "Welcome\nStep 1");
    EXPECT_EQ (windows.clicks, juce::StringArray (title + "/INSTALL"));

    // A dialog that does not take the click: the outcome is logged, the page stays what it is.
    windows.hangClicks();
    std::thread releaser ([&]
                          {
                              windows.waitForHungClick (10000);
                              windows.releaseClicks(); });
    EXPECT_EQ (monitor.analyseWindow(), "still");
    releaser.join();
    EXPECT_EQ (monitor.getLastPage(), InstallMonitor::Page::start);
    EXPECT_TRUE (log.contains ("<InstallMonitor::analyseWindow> The dialog did not take the click on INSTALL within 5000 ms: " + title)) << log.getLines().joinIntoString ("\n");
}

TEST (InstallMonitor, AnswersOnlyTheDialogsOfItsOwnInstallerAndWhatItStarted)
{
    // Process 100 is our installer; it started 101, which started 102. 200
    // is another copy's installer, 300 one the user started by hand.
    const std::map<juce::uint32, juce::uint32> tree { { 100, 1 }, { 101, 100 }, { 102, 101 }, { 200, 1 }, { 300, 50 }, { 50, 1 } };

    struct Case
    {
        const char* what;
        std::vector<juce::uint32> owners; // one "Velmora Setup" dialog each, in this order
        juce::uint32 installer;
        int expectedWindow; // 1-based place among the dialogs, 0: none
    };

    const Case cases[] = {
        { "another copy's dialog comes first", { 200, 100 }, 100, 2 },
        { "a grandchild of the installer", { 300, 102 }, 100, 2 },
        { "nothing of ours", { 200, 300 }, 100, 0 },
        { "no installer named: the first that matches", { 200, 100 }, 0, 1 },
    };

    for (const auto& c : cases)
    {
        FakeWindowAutomation windows;
        windows.parentProcessIds = tree;
        std::vector<platform::WindowHandle> handles;

        for (const auto owner : c.owners)
            handles.push_back (windows.addWindow ("#32770", "Velmora Setup", { { "Button", "INSTALL" } }, owner));

        const auto expected = c.expectedWindow != 0 ? std::vector<platform::WindowHandle> { handles[(size_t) c.expectedWindow - 1] }
                                                    : std::vector<platform::WindowHandle>();

        InstallMonitor monitor ("QX4");
        monitor.setInstallerProcess (c.installer);
        EXPECT_EQ (monitor.findInstallerWindow(), c.expectedWindow != 0) << c.what;

        // The press goes to that very dialog, though the others bear its title.
        monitor.analyseWindow();
        EXPECT_EQ (windows.clickedWindows, expected) << c.what;
    }

    // A tree read while processes come and go may hold a loop.
    EXPECT_FALSE (platform::WindowAutomationService::isSameOrDescendant (7, 100, { { 7, 8 }, { 8, 7 } }));
}
