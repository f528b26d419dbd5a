#include "platform/WindowAutomationService.h"

#include <windows.h>

#include <tlhelp32.h>

#include <string>

namespace platform
{
namespace
{
    constexpr int textBufferSize = 256;

    HWND toWindow (WindowHandle handle) { return reinterpret_cast<HWND> (handle); }
    WindowHandle toHandle (HWND window) { return reinterpret_cast<WindowHandle> (window); }

    /** The ANSI functions take texts in the system's code page. */
    std::string toAnsi (const juce::String& text)
    {
        const auto* wide = text.toWideCharPointer();
        const auto size = WideCharToMultiByte (CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);

        if (size <= 0)
            return {};

        std::string result ((size_t) size, '\0');
        WideCharToMultiByte (CP_ACP, 0, wide, -1, result.data(), size, nullptr, nullptr);
        result.resize ((size_t) size - 1);
        return result;
    }

    juce::String fromAnsi (const char* text, int length)
    {
        if (length <= 0)
            return {};

        const auto wideLength = MultiByteToWideChar (CP_ACP, 0, text, length, nullptr, 0);

        if (wideLength <= 0)
            return {};

        std::wstring wide ((size_t) wideLength, L'\0');
        MultiByteToWideChar (CP_ACP, 0, text, length, wide.data(), wideLength);
        return juce::String (wide.c_str());
    }

    class NativeWindowAutomation final : public WindowAutomationService
    {
    public:
        WindowHandle findNextTopLevelWindow (WindowHandle after, const juce::String& className) override
        {
            const auto windowClass = toAnsi (className);
            return toHandle (FindWindowExA (nullptr, toWindow (after), windowClass.c_str(), nullptr));
        }

        WindowHandle findTopLevelWindow (const juce::String& className, const juce::String& title) override
        {
            const auto windowClass = toAnsi (className);
            const auto windowTitle = toAnsi (title);
            return toHandle (FindWindowA (windowClass.c_str(), windowTitle.c_str()));
        }

        WindowHandle findChildWithText (WindowHandle parent, const juce::String& className, const juce::String& text) override
        {
            if (parent == 0)
                return 0;

            const auto windowClass = toAnsi (className);
            const auto windowText = toAnsi (text);
            return toHandle (FindWindowExA (toWindow (parent), nullptr, windowClass.c_str(), windowText.c_str()));
        }

        WindowHandle findNextChild (WindowHandle parent, WindowHandle after, const juce::String& className) override
        {
            if (parent == 0)
                return 0;

            const auto windowClass = toAnsi (className);
            return toHandle (FindWindowExA (toWindow (parent), toWindow (after), windowClass.c_str(), nullptr));
        }

        juce::String getWindowTextWide (WindowHandle window) override
        {
            wchar_t buffer[textBufferSize] = {};

            if (window == 0 || GetWindowTextW (toWindow (window), buffer, textBufferSize) <= 0)
                return {};

            buffer[textBufferSize - 1] = 0;
            return juce::String (buffer);
        }

        juce::String getWindowTextAnsi (WindowHandle window) override
        {
            char buffer[textBufferSize] = {};

            if (window == 0)
                return {};

            const auto length = GetWindowTextA (toWindow (window), buffer, textBufferSize);
            return fromAnsi (buffer, juce::jlimit (0, textBufferSize - 1, length));
        }

        ClickOutcome click (WindowHandle control) override
        {
            if (control == 0 || ! IsWindow (toWindow (control)))
                return ClickOutcome::noControl;

            DWORD_PTR result = 0;
            const auto sent = SendMessageTimeoutA (toWindow (control), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, (UINT) clickTimeoutMs, &result);

            if (sent != 0)
                return ClickOutcome::taken;

            // A control destroyed meanwhile fails as well, without a time-out.
            return IsWindow (toWindow (control)) ? ClickOutcome::notAnswering : ClickOutcome::noControl;
        }

        juce::uint32 getWindowProcessId (WindowHandle window) override
        {
            DWORD processId = 0;

            if (window == 0 || GetWindowThreadProcessId (toWindow (window), &processId) == 0)
                return 0;

            return (juce::uint32) processId;
        }

        std::map<juce::uint32, juce::uint32> getParentProcessIds() override
        {
            std::map<juce::uint32, juce::uint32> parents;
            const auto snapshot = CreateToolhelp32Snapshot (TH32CS_SNAPPROCESS, 0);

            if (snapshot == INVALID_HANDLE_VALUE)
                return parents;

            PROCESSENTRY32W entry = {};
            entry.dwSize = sizeof (entry);

            for (auto found = Process32FirstW (snapshot, &entry); found; found = Process32NextW (snapshot, &entry))
                parents[(juce::uint32) entry.th32ProcessID] = (juce::uint32) entry.th32ParentProcessID;

            CloseHandle (snapshot);
            return parents;
        }
    };
} // namespace

std::unique_ptr<WindowAutomationService> WindowAutomationService::createNative()
{
    return std::make_unique<NativeWindowAutomation>();
}
} // namespace platform
