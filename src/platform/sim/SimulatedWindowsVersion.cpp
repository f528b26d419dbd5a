#include "platform/WindowsVersionService.h"
#include "platform/sim/SimulatedHost.h"

#include <algorithm>

namespace platform
{
namespace
{
    /** Reads "major.minor.build" and an optional platform id after a blank. */
    std::optional<OsVersionInfo> readVersionFile()
    {
        const auto line = sim::SimulatedHost::readFirstLine ("windows-version");

        if (! line.has_value())
            return std::nullopt;

        auto words = juce::StringArray::fromTokens (*line, " \t", {});
        words.removeEmptyStrings();

        if (words.isEmpty() || words.size() > 2)
            return std::nullopt;

        const auto numbers = juce::StringArray::fromTokens (words[0], ".", {});

        const auto isNumber = [] (const juce::String& text)
        {
            return text.isNotEmpty() && text.length() <= 9 && text.containsOnly ("0123456789");
        };

        if (numbers.size() != 3 || ! std::all_of (numbers.begin(), numbers.end(), isNumber))
            return std::nullopt;

        OsVersionInfo info;
        info.majorVersion = (uint32_t) numbers[0].getLargeIntValue();
        info.minorVersion = (uint32_t) numbers[1].getLargeIntValue();
        info.buildNumber = (uint32_t) numbers[2].getLargeIntValue();
        info.platformId = versionPlatformWin32Nt;

        if (words.size() == 2)
        {
            if (! isNumber (words[1]))
                return std::nullopt;

            info.platformId = (uint32_t) words[1].getLargeIntValue();
        }

        return info;
    }

    class SimulatedWindowsVersion final : public WindowsVersionService
    {
    public:
        std::optional<OsVersionInfo> rtlGetVersion() override { return readVersionFile(); }
        std::optional<OsVersionInfo> getVersionExW() override { return readVersionFile(); }
    };
} // namespace

std::unique_ptr<WindowsVersionService> WindowsVersionService::createNative()
{
    return std::make_unique<SimulatedWindowsVersion>();
}
} // namespace platform
