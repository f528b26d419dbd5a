#pragma once

#include <juce_core/juce_core.h>

#include "platform/PlatformService.h"

namespace platform
{
/** Shell shortcuts (".lnk" files) and the process's current directory.

    On Windows a shortcut is a shell link; on the simulated host it is a
    symbolic link whose name ends in ".lnk".
*/
class ShortcutService
{
public:
    virtual ~ShortcutService() = default;

    /** The shortcut file's own last-modification time, not its target's. */
    virtual juce::Time getShortcutTime (const juce::File& shortcut) = 0;

    /** The file the shortcut points to; the shortcut itself when it points nowhere. */
    virtual juce::File getShortcutTarget (const juce::File& shortcut) = 0;

    static std::unique_ptr<ShortcutService> createNative();
};

inline ShortcutService& shortcuts() { return PlatformService<ShortcutService>::get(); }
} // namespace platform
