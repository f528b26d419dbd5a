#include "platform/ShellFolderService.h"
#include "platform/sim/SimulatedHost.h"

namespace platform
{
namespace
{
    /** The simulated host keeps Windows' folder layout below its own folder;
            without a host the folders are JUCE's usual ones for this system.
        */
    class SimulatedShellFolders final : public ShellFolderService
    {
    public:
        juce::File getUserApplicationDataFolder() override
        {
            return hostFolderOr ("Users/user/AppData/Roaming", juce::File::userApplicationDataDirectory);
        }

        juce::File getUserDesktopFolder() override
        {
            return hostFolderOr ("Users/user/Desktop", juce::File::userDesktopDirectory);
        }

        juce::File getCommonApplicationDataFolder() override
        {
            return hostFolderOr ("ProgramData", juce::File::commonApplicationDataDirectory);
        }

        juce::File getTemporaryFolder() override
        {
            return hostFolderOr ("Temp", juce::File::tempDirectory);
        }

        juce::String getSystemToolFolder (bool) override
        {
            // One folder plays both System32 and its SysNative alias.
            if (auto folder = sim::SimulatedHost::getChild ("System32"))
                return folder->getFullPathName();

            return {};
        }

    private:
        static juce::File hostFolderOr (const juce::String& relativePath, juce::File::SpecialLocationType otherwise)
        {
            if (auto folder = sim::SimulatedHost::getChild (relativePath))
                return *folder;

            return juce::File::getSpecialLocation (otherwise);
        }
    };
} // namespace

std::unique_ptr<ShellFolderService> ShellFolderService::createNative()
{
    return std::make_unique<SimulatedShellFolders>();
}
} // namespace platform
