#include "platform/ShellFolderService.h"

namespace platform
{
namespace
{
    /** JUCE asks the shell for these (SHGetSpecialFolderPath, GetTempPath). */
    class NativeShellFolders final : public ShellFolderService
    {
    public:
        juce::File getUserApplicationDataFolder() override
        {
            return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory);
        }

        juce::File getUserDesktopFolder() override
        {
            return juce::File::getSpecialLocation (juce::File::userDesktopDirectory);
        }

        juce::File getCommonApplicationDataFolder() override
        {
            return juce::File::getSpecialLocation (juce::File::commonApplicationDataDirectory);
        }

        juce::File getTemporaryFolder() override
        {
            return juce::File::getSpecialLocation (juce::File::tempDirectory);
        }

        juce::String getSystemToolFolder (bool throughSysNative) override
        {
            return throughSysNative ? "C:\\Windows\\SysNative" : "C:\\Windows\\System32";
        }
    };
} // namespace

std::unique_ptr<ShellFolderService> ShellFolderService::createNative()
{
    return std::make_unique<NativeShellFolders>();
}
} // namespace platform
