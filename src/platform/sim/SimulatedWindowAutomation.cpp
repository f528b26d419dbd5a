#include "platform/WindowAutomationService.h"
#include "platform/sim/SimulatedHost.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform
{
namespace
{
    /** The dialogs of the simulated host's running programs.

        The host's windows folder holds one "<name>.window" file per
        top-level window, a JSON object written by the program that shows it:
        "owner" (its process id; a window whose owner has ended is gone),
        "class", "title" and "controls", an array of child controls in their
        order, each with "id" (a positive number unique in the window),
        "class" and "text". Owners replace the file in one step (rename), so
        it is never read half-written.

        A click writes "<name>.press", holding the control's id, and waits
        until the owner has taken it away: the owner first rewrites (or
        removes) its window and then removes the press, so once the click
        returns the window shows what the click led to, as after a
        synchronous BM_CLICK. An owner that leaves the press where it is
        does not answer: the click gives up after clickTimeoutMs, as
        SendMessageTimeout does.
    */
    struct Control
    {
        int id = 0;
        juce::String className, text;
    };

    struct Window
    {
        juce::String fileName;
        int owner = 0; // 0: no owner process named
        juce::String className, title;
        std::vector<Control> controls;
    };

    constexpr int textBufferSize = 256;
    constexpr int clickPollMs = 5;

    bool isProcessRunning (int processId)
    {
        return processId <= 0 || ::kill (processId, 0) == 0 || errno == EPERM;
    }

    std::optional<juce::File> getWindowsFolder()
    {
        return sim::SimulatedHost::getChild ("windows");
    }

    std::optional<Window> readWindow (const juce::File& file)
    {
        const auto parsed = juce::JSON::parse (file.loadFileAsString());

        if (! parsed.isObject())
            return std::nullopt;

        Window window;
        window.fileName = file.getFileName();
        window.owner = (int) parsed.getProperty ("owner", 0);
        window.className = parsed.getProperty ("class", {}).toString();
        window.title = parsed.getProperty ("title", {}).toString();

        if (const auto* controls = parsed.getProperty ("controls", {}).getArray())
        {
            for (const auto& entry : *controls)
            {
                Control control;
                control.id = (int) entry.getProperty ("id", 0);
                control.className = entry.getProperty ("class", {}).toString();
                control.text = entry.getProperty ("text", {}).toString();

                if (control.id > 0)
                    window.controls.push_back (control);
            }
        }

        if (! isProcessRunning (window.owner))
            return std::nullopt;

        return window;
    }

    /** The live windows, in file-name order (the stand-in's Z order). */
    std::vector<Window> readWindows()
    {
        std::vector<Window> windows;
        const auto folder = getWindowsFolder();

        if (! folder.has_value() || ! folder->isDirectory())
            return windows;

        auto files = folder->findChildFiles (juce::File::findFiles, false, "*.window");
        std::sort (files.begin(), files.end(), [] (const juce::File& a, const juce::File& b)
                   { return a.getFileName().compare (b.getFileName()) < 0; });

        for (const auto& file : files)
            if (auto window = readWindow (file))
                windows.push_back (std::move (*window));

        return windows;
    }

    /** `text` cut to what a buffer of 256 wide characters holds with its terminator. */
    juce::String cutToWideBuffer (const juce::String& text)
    {
        juce::String result;
        int units = 0;

        for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
        {
            const auto needed = *p > 0xffff ? 2 : 1;

            if (units + needed > textBufferSize - 1)
                break;

            units += needed;
            result << juce::String::charToString (*p);
        }

        return result;
    }

    /** `text` cut to what a buffer of 256 bytes holds with its terminator; the
        stand-in's ANSI code page is UTF-8, and no character is cut in half.
    */
    juce::String cutToAnsiBuffer (const juce::String& text)
    {
        juce::String result;
        size_t bytes = 0;

        for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
        {
            const auto needed = juce::CharPointer_UTF8::getBytesRequiredFor (*p);

            if (bytes + needed > (size_t) textBufferSize - 1)
                break;

            bytes += needed;
            result << juce::String::charToString (*p);
        }

        return result;
    }

    class SimulatedWindowAutomation final : public WindowAutomationService
    {
    public:
        WindowHandle findNextTopLevelWindow (WindowHandle after, const juce::String& className) override
        {
            const auto windows = readWindows();
            size_t start = 0;

            if (after != 0)
            {
                const auto key = keyFor (after);

                if (! key.has_value() || key->second != 0)
                    return 0;

                const auto position = std::find_if (windows.begin(), windows.end(), [&] (const Window& w)
                                                    { return w.fileName.toStdString() == key->first; });

                if (position == windows.end())
                    return 0;

                start = (size_t) std::distance (windows.begin(), position) + 1;
            }

            for (auto i = start; i < windows.size(); ++i)
                if (windows[i].className.equalsIgnoreCase (className))
                    return handleFor (windows[i].fileName, 0);

            return 0;
        }

        WindowHandle findTopLevelWindow (const juce::String& className, const juce::String& title) override
        {
            for (const auto& window : readWindows())
                if (window.className.equalsIgnoreCase (className) && window.title.equalsIgnoreCase (title))
                    return handleFor (window.fileName, 0);

            return 0;
        }

        WindowHandle findChildWithText (WindowHandle parent, const juce::String& className, const juce::String& text) override
        {
            const auto window = topLevelWindowFor (parent);

            if (! window.has_value())
                return 0;

            for (const auto& control : window->controls)
                if (control.className.equalsIgnoreCase (className) && control.text.equalsIgnoreCase (text))
                    return handleFor (window->fileName, control.id);

            return 0;
        }

        WindowHandle findNextChild (WindowHandle parent, WindowHandle after, const juce::String& className) override
        {
            const auto window = topLevelWindowFor (parent);

            if (! window.has_value())
                return 0;

            auto position = window->controls.begin();

            if (after != 0)
            {
                const auto key = keyFor (after);

                if (! key.has_value() || key->first != window->fileName.toStdString())
                    return 0;

                position = std::find_if (window->controls.begin(), window->controls.end(), [&] (const Control& c)
                                         { return c.id == key->second; });

                if (position == window->controls.end())
                    return 0;

                ++position;
            }

            for (; position != window->controls.end(); ++position)
                if (position->className.equalsIgnoreCase (className))
                    return handleFor (window->fileName, position->id);

            return 0;
        }

        juce::String getWindowTextWide (WindowHandle window) override
        {
            return cutToWideBuffer (readText (window));
        }

        juce::String getWindowTextAnsi (WindowHandle window) override
        {
            return cutToAnsiBuffer (readText (window));
        }

        juce::uint32 getWindowProcessId (WindowHandle handle) override
        {
            const auto window = topLevelWindowFor (handle);
            return window.has_value() && window->owner > 0 ? (juce::uint32) window->owner : 0;
        }

        // The host's own processes stand in for Windows': /proc/<id>/stat
        // names each one's parent after the command's name in brackets.
        std::map<juce::uint32, juce::uint32> getParentProcessIds() override
        {
            std::map<juce::uint32, juce::uint32> parents;

            for (const auto& entry : juce::File ("/proc").findChildFiles (juce::File::findDirectories, false))
            {
                const auto name = entry.getFileName();

                if (! name.containsOnly ("0123456789"))
                    continue;

                const auto stat = entry.getChildFile ("stat").loadFileAsString();
                const auto fields = juce::StringArray::fromTokens (stat.fromLastOccurrenceOf (")", false, false), " ", {});

                // After the name: the state, then the parent's id.
                if (fields.size() > 1)
                    parents[(juce::uint32) name.getLargeIntValue()] = (juce::uint32) fields[1].getLargeIntValue();
            }

            return parents;
        }

        ClickOutcome click (WindowHandle control) override
        {
            const auto key = keyFor (control);
            const auto folder = getWindowsFolder();

            if (! key.has_value() || key->second == 0 || ! folder.has_value())
                return ClickOutcome::noControl;

            const auto windowFile = folder->getChildFile (juce::String (key->first));
            const auto window = readWindow (windowFile);

            if (! window.has_value())
                return ClickOutcome::noControl;

            const auto press = windowFile.withFileExtension ("press");
            const auto pending = windowFile.withFileExtension ("press-writing");

            if (! pending.replaceWithText (juce::String (key->second) + "\n", false, false, "\n") || ! pending.moveFileTo (press))
                return ClickOutcome::noControl;

            if (window->owner <= 0)
                return ClickOutcome::taken;

            const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) clickTimeoutMs;

            while (press.exists() && isProcessRunning (window->owner))
            {
                if (juce::Time::getMillisecondCounter() >= end)
                    return ClickOutcome::notAnswering;

                juce::Thread::sleep (clickPollMs);
            }

            return ClickOutcome::taken;
        }

    private:
        using Key = std::pair<std::string, int>; // window file name, control id (0: the window)

        WindowHandle handleFor (const juce::String& fileName, int controlId)
        {
            const std::lock_guard<std::mutex> guard (lock);
            const Key key { fileName.toStdString(), controlId };
            const auto found = handles.find (key);

            if (found != handles.end())
                return found->second;

            const auto handle = nextHandle++;
            handles[key] = handle;
            keys[handle] = key;
            return handle;
        }

        std::optional<Key> keyFor (WindowHandle handle)
        {
            const std::lock_guard<std::mutex> guard (lock);
            const auto found = keys.find (handle);

            if (found == keys.end())
                return std::nullopt;

            return found->second;
        }

        std::optional<Window> topLevelWindowFor (WindowHandle handle)
        {
            const auto key = keyFor (handle);

            if (! key.has_value() || key->second != 0)
                return std::nullopt;

            return windowNamed (key->first);
        }

        std::optional<Window> windowNamed (const std::string& fileName)
        {
            const auto folder = getWindowsFolder();

            if (! folder.has_value())
                return std::nullopt;

            const auto file = folder->getChildFile (juce::String (fileName));

            if (! file.existsAsFile())
                return std::nullopt;

            return readWindow (file);
        }

        juce::String readText (WindowHandle handle)
        {
            const auto key = keyFor (handle);

            if (! key.has_value())
                return {};

            const auto window = windowNamed (key->first);

            if (! window.has_value())
                return {};

            if (key->second == 0)
                return window->title;

            for (const auto& control : window->controls)
                if (control.id == key->second)
                    return control.text;

            return {};
        }

        std::mutex lock;
        std::map<Key, WindowHandle> handles;
        std::map<WindowHandle, Key> keys;
        WindowHandle nextHandle = 0x10000;
    };
} // namespace

std::unique_ptr<WindowAutomationService> WindowAutomationService::createNative()
{
    return std::make_unique<SimulatedWindowAutomation>();
}
} // namespace platform
