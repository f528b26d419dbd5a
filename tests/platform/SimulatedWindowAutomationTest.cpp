#include <gtest/gtest.h>

#include "platform/WindowAutomationService.h"
#include "support/SimulatedHostFolder.h"

#include <unistd.h>

namespace
{
juce::String windowJson (int owner, const juce::String& className, const juce::String& title, const juce::String& controls)
{
    return "{ \"owner\": " + juce::String (owner) + ", \"class\": \"" + className + "\", \"title\": \"" + title
           + "\", \"controls\": [" + controls + "] }";
}
} // namespace

TEST (SimulatedWindowAutomation, ReadsTheDialogsOfLiveOwners)
{
    SimulatedHostFolder host;
    auto& windows = platform::windowAutomation();
    EXPECT_EQ (windows.findNextTopLevelWindow (0, "#32770"), 0u) << "no windows folder";

    const auto me = (int) getpid();
    const auto deadOwner = 99999999; // above any process id Linux hands out
    host.write ("windows/b.window", windowJson (me, "#32770", "Second", R"({ "id": 1, "class": "Static", "text": "one" }, { "id": 2, "class": "Button", "text": "OK" }, { "id": 5, "class": "Static", "text": "two" })"));
    host.write ("windows/a.window", windowJson (me, "#32770", "First", ""));
    host.write ("windows/c.window", windowJson (deadOwner, "#32770", "Left behind by an ended installer", ""));
    host.write ("windows/d.window", windowJson (me, "Notepad", "Other class", ""));
    host.write ("windows/e.window", "{ \"owner\": ");

    const auto first = windows.findNextTopLevelWindow (0, "#32770");
    const auto second = windows.findNextTopLevelWindow (first, "#32770");
    EXPECT_EQ (windows.getWindowTextWide (first), "First") << "file-name order";
    EXPECT_EQ (windows.getWindowTextWide (second), "Second");
    EXPECT_EQ (windows.findNextTopLevelWindow (second, "#32770"), 0u) << "ended owner, other class, broken file";
    EXPECT_EQ (windows.findTopLevelWindow ("#32770", "second"), second) << "titles compare as on Windows";
    EXPECT_EQ (windows.findTopLevelWindow ("#32770", "Left behind by an ended installer"), 0u);

    const auto ok = windows.findChildWithText (second, "Button", "OK");
    const auto staticOne = windows.findNextChild (second, 0, "Static");
    const auto staticTwo = windows.findNextChild (second, staticOne, "Static");
    EXPECT_NE (ok, 0u);
    EXPECT_EQ (windows.getWindowTextAnsi (staticTwo), "two");
    EXPECT_EQ (windows.findNextChild (second, staticTwo, "Static"), 0u);
    EXPECT_EQ (windows.findNextChild (first, staticOne, "Static"), 0u) << "a control of another window";
    EXPECT_EQ (windows.findChildWithText (0, "Button", "OK"), 0u);

    // Texts are cut as the buffers of the calls cut them: 255 wide
    // characters, 255 bytes without splitting a character.
    const auto accented = juce::String::fromUTF8 ("\xc3\xa9");
    host.write ("windows/b.window", windowJson (me, "#32770", "Second", R"({ "id": 1, "class": "Static", "text": ")" + juce::String::repeatedString (accented, 300) + "\" }"));
    EXPECT_EQ (windows.getWindowTextWide (staticOne), juce::String::repeatedString (accented, 255));
    EXPECT_EQ (windows.getWindowTextAnsi (staticOne), juce::String::repeatedString (accented, 127));
    EXPECT_EQ (windows.getWindowTextAnsi (ok), "") << "the control has gone with the page";

    (host / "windows/b.window").deleteFile();
    EXPECT_EQ (windows.getWindowTextWide (second), "") << "the window has gone";
}

TEST (SimulatedWindowAutomation, ClickLeavesThePressForTheOwner)
{
    SimulatedHostFolder host;
    auto& windows = platform::windowAutomation();
    host.write ("windows/setup.window", windowJson (0, "#32770", "Setup", R"({ "id": 7, "class": "Button", "text": "INSTALL" })"));

    const auto dialog = windows.findTopLevelWindow ("#32770", "Setup");
    windows.click (windows.findChildWithText (dialog, "Button", "install"));
    EXPECT_EQ ((host / "windows/setup.press").loadFileAsString().trim(), "7") << "no owner to wait for";
}
