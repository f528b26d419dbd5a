#pragma once

#include <juce_core/juce_core.h>

#include "platform/WindowAutomationService.h"

/** Answers the dialog pages of the maker's installers, so an installation
    runs to its end without the user: it finds the installer's top-level
    dialog by its title and presses the buttons its known pages offer.
    All window access goes through the window-automation platform service.
*/
class InstallMonitor
{
public:
    /** `name` is the device name of the request. */
    explicit InstallMonitor (const juce::String& name);

    /** From now on only dialogs of this process, or of a process it started
        (or those started in turn), count as the installer's; 0 (the start)
        lets any dialog with a matching title count.
    */
    void setInstallerProcess (juce::uint32 processId) { installerProcess = processId; }

    /** Looks through the top-level dialogs for the installer's: one whose
        title, without blanks, contains the device name (without blanks and
        without a parenthesised remark; this normalised name is kept), its
        first five characters when it is longer than that, or, in lower case,
        "velmora". On success the title is kept for analyseWindow, and the
        window too, for a title that the ANSI search cannot find again.
    */
    bool findInstallerWindow();

    /** Recognises the page the installer's dialog shows and presses what it
        asks for: "still" while the installation goes on (or nothing is
        recognised), "done" once it has ended, or the installer's own
        failure text.
    */
    juce::String analyseWindow();

    /** The pages analyseWindow tells apart. */
    enum class Page
    {
        none, // no dialog to look at
        languageChoice,
        start,
        driversRunning,
        rebootQuestion,
        completed,
        failed,
        unknown // a dialog whose page no rule knows
    };

    /** The page the last analyseWindow saw. */
    Page getLastPage() const { return lastPage; }

    /** The texts of the static controls of the page the last analyseWindow
        saw, one a line: a page that shows progress changes them.
    */
    const juce::String& getLastTexts() const { return lastTexts; }

    /** Pages on which analyseWindow presses a button and the installer is
        expected to move on.
    */
    static bool isPressedToMoveOn (Page page) { return page == Page::languageChoice || page == Page::start; }

    const juce::String& getName() const { return name; }
    const juce::String& getWindowTitle() const { return windowTitle; }

    static constexpr const char* dialogClass = "#32770";
    static constexpr const char* resultStill = "still";
    static constexpr const char* resultDone = "done";

private:
    bool belongsToInstaller (platform::WindowHandle window);

    juce::String name;
    juce::String windowTitle;
    platform::WindowHandle dialog = 0; // the dialog found last, 0: none
    juce::uint32 installerProcess = 0;
    Page lastPage = Page::none;
    juce::String lastTexts;

    static juce::String readTexts (platform::WindowHandle dialog);
};
