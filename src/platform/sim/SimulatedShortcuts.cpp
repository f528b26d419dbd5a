#include "platform/ShortcutService.h"

#include <sys/stat.h>

namespace platform
{
namespace
{
    class SimulatedShortcuts final : public ShortcutService
    {
    public:
        juce::Time getShortcutTime (const juce::File& shortcut) override
        {
            // lstat: the link's own time, as a .lnk file has its own on Windows.
            struct stat info;

            if (lstat (shortcut.getFullPathName().toRawUTF8(), &info) != 0)
                return {};

            return juce::Time ((juce::int64) info.st_mtim.tv_sec * 1000 + (juce::int64) info.st_mtim.tv_nsec / 1000000);
        }

        juce::File getShortcutTarget (const juce::File& shortcut) override
        {
            return shortcut.getLinkedTarget();
        }
    };
} // namespace

std::unique_ptr<ShortcutService> ShortcutService::createNative()
{
    return std::make_unique<SimulatedShortcuts>();
}
} // namespace platform
