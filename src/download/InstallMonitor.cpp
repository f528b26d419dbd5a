#include "download/InstallMonitor.h"

#include "platform/WindowAutomationService.h"

#include <cstring>

namespace
{
constexpr const char* languagePrompt = "Please choose your language below:";
constexpr const char* driversRunning = "Installing USB drivers.";
constexpr const char* completedText = "The installation completed successfully. It's not necessary to reboot.";
constexpr const char* failureText = "Unfortunately the installation failed.";

/** How many characters of a long device name suffice to recognise its installer. */
constexpr int shortNameLength = 5;

juce::String withoutBlanks (const juce::String& text)
{
    return text.removeCharacters (" ");
}
} // namespace

InstallMonitor::InstallMonitor (const juce::String& nameToUse)
    : name (nameToUse)
{
}

bool InstallMonitor::belongsToInstaller (std::uintptr_t window)
{
    return installerProcess == 0 || platform::windowAutomation().belongsToProcessTree (window, installerProcess);
}

bool InstallMonitor::findInstallerWindow()
{
    auto& windows = platform::windowAutomation();
    dialog = 0;

    for (auto window = windows.findNextTopLevelWindow (0, dialogClass); window != 0;
         window = windows.findNextTopLevelWindow (window, dialogClass))
    {
        const auto titleAsRead = windows.getWindowTextWide (window);

        if (titleAsRead.isEmpty())
            continue;

        const auto title = withoutBlanks (titleAsRead);

        name = withoutBlanks (name);

        if (name.containsChar ('('))
            name = name.upToFirstOccurrenceOf ("(", false, false);

        const juce::String shortName = name.length() > shortNameLength ? name.substring (0, shortNameLength)
                                                                       : juce::String ("alternativeName");

        // Another copy's installer, or one the user started, is not ours to answer.
        if ((title.contains (name) || title.contains (shortName) || title.toLowerCase().contains ("velmora"))
            && belongsToInstaller (window))
        {
            windowTitle = titleAsRead;
            dialog = window;
            return true;
        }
    }

    return false;
}

juce::String InstallMonitor::readTexts (platform::WindowHandle dialog)
{
    auto& windows = platform::windowAutomation();
    juce::StringArray texts;

    for (auto text = windows.findNextChild (dialog, 0, "Static"); text != 0; text = windows.findNextChild (dialog, text, "Static"))
        texts.add (windows.getWindowTextWide (text));

    return texts.joinIntoString ("\n");
}

juce::String InstallMonitor::analyseWindow()
{
    auto& windows = platform::windowAutomation();

    // Nothing found yet, or the dialog is gone: every lookup would find
    // nothing.
    lastPage = Page::none;
    lastTexts = {};

    if (windowTitle.isEmpty())
        return resultStill;

    // The very window found, not the first with its title: another
    // installer's may bear the same one.
    if (dialog == 0 || windows.getWindowTextWide (dialog).isEmpty())
        return resultStill;

    lastPage = Page::unknown;
    lastTexts = readTexts (dialog);

    const auto find = [&] (const char* className, const char* text)
    {
        return windows.findChildWithText (dialog, className, text);
    };

    const auto press = [&] (platform::WindowHandle control, const char* logLine)
    {
        using Outcome = platform::WindowAutomationService::ClickOutcome;

        switch (windows.click (control))
        {
            case Outcome::taken:
                if (logLine != nullptr)
                    juce::Logger::writeToLog (logLine);
                break;

            case Outcome::notAnswering:
                juce::Logger::writeToLog ("<InstallMonitor::analyseWindow> The dialog did not take the click on " + windows.getWindowTextWide (control)
                                          + " within " + juce::String (platform::WindowAutomationService::clickTimeoutMs) + " ms: " + windowTitle);
                break;

            case Outcome::noControl:
                juce::Logger::writeToLog ("<InstallMonitor::analyseWindow> The button had gone before the click: " + windowTitle);
                break;
        }
    };

    if (const auto ok = find ("Button", "OK"); ok != 0 && find ("Static", languagePrompt) != 0)
    {
        lastPage = Page::languageChoice;
        press (ok, "<InstallMonitor::analyseWindow> clicked OK button");
        return resultStill;
    }

    if (const auto install = find ("Button", "INSTALL"); install != 0)
    {
        lastPage = Page::start;
        press (install, "<InstallMonitor::analyseWindow> clicked Install button");
        return resultStill;
    }

    if (find ("Static", driversRunning) != 0)
    {
        lastPage = Page::driversRunning;
        return resultStill;
    }

    if (const auto rebootLater = find ("Button", "Reboot later"); rebootLater != 0)
    {
        lastPage = Page::rebootQuestion;
        press (rebootLater, "<InstallMonitor::analyseWindow> clicked not reboot button");
        return resultDone;
    }

    if (const auto exit = find ("Button", "E&xit"); exit != 0 && find ("Static", completedText) != 0)
    {
        lastPage = Page::completed;
        press (exit, "<InstallMonitor::analyseWindow> clicked exit button");
        return resultDone;
    }

    if (const auto firstStatic = windows.findNextChild (dialog, 0, "Static"); firstStatic != 0)
    {
        const auto secondStatic = windows.findNextChild (dialog, firstStatic, "Static");
        const auto text = windows.getWindowTextAnsi (secondStatic);

        if (std::strstr (text.toRawUTF8(), failureText) != nullptr)
        {
            lastPage = Page::failed;

            if (const auto exit = find ("Button", "E&xit"); exit != 0)
                press (exit, nullptr);

            return text;
        }
    }

    return resultStill;
}
