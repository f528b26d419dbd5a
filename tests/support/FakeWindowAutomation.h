#pragma once

#include "platform/WindowAutomationService.h"

#include <condition_variable>
#include <mutex>
#include <vector>

/** An in-memory desktop of top-level windows and their controls. A click is
    recorded as "<window title>/<control text>". A dialog that does not
    answer is modelled by hangClicks: a click then waits until
    releaseClicks and reports that it was not taken.
*/
class FakeWindowAutomation final : public platform::WindowAutomationService
{
public:
    struct Control
    {
        juce::String className, text;
    };

    platform::WindowHandle addWindow (const juce::String& className, const juce::String& title, std::vector<Control> controls = {}, juce::uint32 owner = 0)
    {
        windows.push_back ({ true, className, title, std::move (controls), owner });
        return (platform::WindowHandle) windows.size();
    }

    void close (platform::WindowHandle window) { windows[window - 1].open = false; }

    void setText (platform::WindowHandle window, size_t control, const juce::String& text) { windows[window - 1].controls[control].text = text; }

    platform::WindowHandle findNextTopLevelWindow (platform::WindowHandle after, const juce::String& className) override
    {
        for (auto i = (size_t) after; i < windows.size(); ++i)
            if (windows[i].open && windows[i].className.equalsIgnoreCase (className))
                return (platform::WindowHandle) i + 1;

        return 0;
    }

    platform::WindowHandle findTopLevelWindow (const juce::String& className, const juce::String& title) override
    {
        // The ANSI search: a title with characters outside the code page
        // (here: beyond Latin-1) reaches it with "?" in their place.
        const auto outsideCodePage = [] (const juce::String& text)
        {
            for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
                if (*p > 0xff)
                    return true;

            return false;
        };

        for (size_t i = 0; i < windows.size(); ++i)
            if (windows[i].open && windows[i].className.equalsIgnoreCase (className) && windows[i].title.equalsIgnoreCase (title)
                && ! outsideCodePage (windows[i].title))
                return (platform::WindowHandle) i + 1;

        return 0;
    }

    platform::WindowHandle findChildWithText (platform::WindowHandle parent, const juce::String& className, const juce::String& text) override
    {
        for (auto child = findNextChild (parent, 0, className); child != 0; child = findNextChild (parent, child, className))
            if (getWindowTextWide (child).equalsIgnoreCase (text))
                return child;

        return 0;
    }

    platform::WindowHandle findNextChild (platform::WindowHandle parent, platform::WindowHandle after, const juce::String& className) override
    {
        if (! isOpenWindow (parent) || (after != 0 && after / controlBase != parent))
            return 0;

        const auto& controls = windows[parent - 1].controls;

        for (auto i = after == 0 ? (size_t) 0 : (size_t) (after % controlBase); i < controls.size(); ++i)
            if (controls[i].className.equalsIgnoreCase (className))
                return parent * controlBase + i + 1;

        return 0;
    }

    juce::String getWindowTextWide (platform::WindowHandle window) override
    {
        if (isOpenWindow (window))
            return windows[window - 1].title;

        if (const auto* control = controlFor (window))
            return control->text;

        return {};
    }

    juce::String getWindowTextAnsi (platform::WindowHandle window) override { return getWindowTextWide (window); }

    ClickOutcome click (platform::WindowHandle control) override
    {
        const auto* pressed = controlFor (control);

        if (pressed == nullptr)
            return ClickOutcome::noControl;

        std::unique_lock<std::mutex> guard (hangLock);

        if (hanging)
        {
            ++hungClicks;
            hangChanged.notify_all();
            hangChanged.wait (guard, [this]
                              { return ! hanging; });
            return ClickOutcome::notAnswering;
        }

        clicks.add (windows[control / controlBase - 1].title + "/" + pressed->text);
        clickedWindows.push_back (control / controlBase);
        return ClickOutcome::taken;
    }

    void hangClicks()
    {
        const std::lock_guard<std::mutex> guard (hangLock);
        hanging = true;
    }

    void releaseClicks()
    {
        const std::lock_guard<std::mutex> guard (hangLock);
        hanging = false;
        hangChanged.notify_all();
    }

    /** Waits until a click hangs; false after `timeoutMs`. */
    bool waitForHungClick (int timeoutMs)
    {
        std::unique_lock<std::mutex> guard (hangLock);
        return hangChanged.wait_for (guard, std::chrono::milliseconds (timeoutMs), [this]
                                     { return hungClicks > 0; });
    }

    juce::uint32 getWindowProcessId (platform::WindowHandle window) override
    {
        return isOpenWindow (window) ? windows[window - 1].owner : 0;
    }

    std::map<juce::uint32, juce::uint32> getParentProcessIds() override { return parentProcessIds; }

    /** A window added without an owner stands for the dialog of whichever
        installer is watched; one with an owner is judged by the tree.
    */
    bool belongsToProcessTree (platform::WindowHandle window, juce::uint32 processId) override
    {
        return (isOpenWindow (window) && windows[window - 1].owner == 0) || WindowAutomationService::belongsToProcessTree (window, processId);
    }

    juce::StringArray clicks;
    std::vector<platform::WindowHandle> clickedWindows; // the top-level window of each click

    /** The process tree getParentProcessIds reports. */
    std::map<juce::uint32, juce::uint32> parentProcessIds;

private:
    struct Window
    {
        bool open;
        juce::String className, title;
        std::vector<Control> controls;
        juce::uint32 owner = 0;
    };

    static constexpr platform::WindowHandle controlBase = 1000;

    bool isOpenWindow (platform::WindowHandle handle) const
    {
        return handle >= 1 && handle <= windows.size() && windows[handle - 1].open;
    }

    const Control* controlFor (platform::WindowHandle handle) const
    {
        const auto window = handle / controlBase, index = handle % controlBase;

        if (! isOpenWindow (window) || index == 0 || index > windows[window - 1].controls.size())
            return nullptr;

        return &windows[window - 1].controls[index - 1];
    }

    std::vector<Window> windows;
    std::mutex hangLock;
    std::condition_variable hangChanged;
    bool hanging = false;
    int hungClicks = 0;
    platform::ScopedServiceOverride<platform::WindowAutomationService> installed { *this };
};
