#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <map>
#include <memory>

#include "platform/PlatformService.h"

namespace platform
{
/** A window of the host; 0 stands for none. */
using WindowHandle = std::uintptr_t;

/** The few user32 window functions that answer other programs' dialogs.

    Each operation is one user32 call, with its semantics: class names and
    texts compare as Windows compares them (without regard to case), texts
    are cut to the size of the buffer the call is given, and handles of
    windows that have gone find nothing.
*/
class WindowAutomationService
{
public:
    virtual ~WindowAutomationService() = default;

    /** FindWindowExA (NULL, after, className, NULL): the next top-level
        window of the class after `after`, or the first one when `after` is 0.
    */
    virtual WindowHandle findNextTopLevelWindow (WindowHandle after, const juce::String& className) = 0;

    /** FindWindowA (className, title): a top-level window of the class with that title. */
    virtual WindowHandle findTopLevelWindow (const juce::String& className, const juce::String& title) = 0;

    /** FindWindowExA (parent, NULL, className, text): the first child of the
        class with that text. 0 when `parent` is 0 (the call would otherwise
        search the top-level windows).
    */
    virtual WindowHandle findChildWithText (WindowHandle parent, const juce::String& className, const juce::String& text) = 0;

    /** FindWindowExA (parent, after, className, NULL): the next child of the
        class after `after`, or the first one when `after` is 0. 0 when
        `parent` is 0.
    */
    virtual WindowHandle findNextChild (WindowHandle parent, WindowHandle after, const juce::String& className) = 0;

    /** GetWindowTextW into a buffer of 256 wide characters. */
    virtual juce::String getWindowTextWide (WindowHandle window) = 0;

    /** GetWindowTextA into a buffer of 256 bytes. */
    virtual juce::String getWindowTextAnsi (WindowHandle window) = 0;

    /** How a click went. */
    enum class ClickOutcome
    {
        taken, // the owner has handled it
        notAnswering, // the owner hangs, or did not handle it within clickTimeoutMs
        noControl // no such control (0, or gone)
    };

    /** How long a click waits for the owner of the control: a dialog that
        hangs must not hold the caller for good.
    */
    static constexpr int clickTimeoutMs = 5000;

    /** SendMessageTimeoutA (control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG,
        clickTimeoutMs): returns once the owner of the control has handled
        the click, at once when the owner hangs, and after clickTimeoutMs
        at the latest.
    */
    virtual ClickOutcome click (WindowHandle control) = 0;

    /** GetWindowThreadProcessId: the process that made the window, 0 when
        the window is gone or not known.
    */
    virtual juce::uint32 getWindowProcessId (WindowHandle window) = 0;

    /** A snapshot of the running processes (CreateToolhelp32Snapshot): each
        one's process id with the id of the process that started it.
    */
    virtual std::map<juce::uint32, juce::uint32> getParentProcessIds() = 0;

    /** Whether the window was made by `processId` or by a process it started
        (or one those started, and so on). A window whose maker is not known
        belongs to nobody.
    */
    virtual bool belongsToProcessTree (WindowHandle window, juce::uint32 processId)
    {
        const auto owner = getWindowProcessId (window);
        return owner != 0 && (owner == processId || isSameOrDescendant (owner, processId, getParentProcessIds()));
    }

    /** Whether `processId` is `ancestor` or descends from it in the tree of
        parent ids given (a process id to its parent's).
    */
    static bool isSameOrDescendant (juce::uint32 processId, juce::uint32 ancestor, const std::map<juce::uint32, juce::uint32>& parents)
    {
        // Bounded: a tree read while processes come and go may hold a loop
        // (a parent's id taken again by one of its descendants).
        for (int depth = 0; processId != 0 && depth < 64; ++depth)
        {
            if (processId == ancestor)
                return true;

            const auto parent = parents.find (processId);

            if (parent == parents.end() || parent->second == processId)
                return false;

            processId = parent->second;
        }

        return false;
    }

    static std::unique_ptr<WindowAutomationService> createNative();
};

inline WindowAutomationService& windowAutomation() { return PlatformService<WindowAutomationService>::get(); }
} // namespace platform
