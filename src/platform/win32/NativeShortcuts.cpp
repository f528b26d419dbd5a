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
    };
} // namespace

std::unique_ptr<ShortcutService> ShortcutService::createNative()
{
    return std::make_unique<NativeShortcuts>();
}
} // namespace platform
