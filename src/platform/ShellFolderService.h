#pragma once

#include <juce_core/juce_core.h>

#include <memory>

#include "platform/PlatformService.h"

namespace platform
{
/** The folders of the host that the program reads and writes. */
class ShellFolderService
{
public:
    virtual ~ShellFolderService() = default;

    /** The roaming application-data folder of the user. */
    virtual juce::File getUserApplicationDataFolder() = 0;

    /** The user's desktop; the all-users desktop is its parent's parent / "Public/Desktop". */
    virtual juce::File getUserDesktopFolder() = 0;

    /** The all-users program-data folder (Start Menu folders lie below it). */
    virtual juce::File getCommonApplicationDataFolder() = 0;

    /** The system temporary folder. */
    virtual juce::File getTemporaryFolder() = 0;

    /** The folder of the 64-bit system tools: through the SysNative alias
            when the process runs under WOW64, else System32. Empty when the
            host has none.
        */
    virtual juce::String getSystemToolFolder (bool throughSysNative) = 0;

    static std::unique_ptr<ShellFolderService> createNative();
};

inline ShellFolderService& shellFolders() { return PlatformService<ShellFolderService>::get(); }
} // namespace platform
