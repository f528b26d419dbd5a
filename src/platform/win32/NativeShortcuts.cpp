#include "platform/ShortcutService.h"

#include <windows.h>

namespace platform
{
namespace
{
    class NativeShortcuts final : public ShortcutService
    {
    public:
        juce::Time getShortcutTime (const juce::File& shortcut) override
        {
            return shortcut.getLastModificationTime();
        }

        juce::File getShortcutTarget (const juce::File& shortcut) override
        {
            // JUCE reads the shell link (IShellLink) for ".lnk" files.
            return shortcut.getLinkedTarget();
        }

        juce::File getCurrentDirectory() override
        {
            wchar_t buffer[MAX_PATH + 1] = {};
            const auto length = GetCurrentDirectoryW (MAX_PATH, buffer);

            if (length == 0 || length > MAX_PATH)
                return juce::File::getCurrentWorkingDirectory();

            return juce::File (juce::String (buffer));
        }

        bool setCurrentDirectory (const juce::File& folder) override
        {
            return SetCurrentDirectoryW (folder.getFullPathName().toWideCharPointer()) != FALSE;
        }
    };
} // namespace

std::unique_ptr<ShortcutService> ShortcutService::createNative()
{
    return std::make_unique<NativeShortcuts>();
}
} // namespace platform
