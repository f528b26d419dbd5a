#include "ui/KeyboardAccess.h"

namespace KeyboardAccess
{
namespace
{
    constexpr const char* installButtonPrefix = "installButton";
    constexpr int firstInstallButtonRank = 10;
    constexpr int installButtonRanks = 1000;

    struct RankedControl
    {
        const char* componentId;
        int rank;
    };

    // Install buttons take the ranks from firstInstallButtonRank on.
    constexpr RankedControl rankedControls[] = {
        { "deviceCombo", 1 },
        { "manualButton", firstInstallButtonRank + installButtonRanks + 1 },
        { "quitManualButton", firstInstallButtonRank + installButtonRanks + 2 },
        { "guideButton", firstInstallButtonRank + installButtonRanks + 3 },
        { "cancelButton", firstInstallButtonRank + installButtonRanks + 4 },
        { "retryButton", firstInstallButtonRank + installButtonRanks + 5 },
        { "languageButton", firstInstallButtonRank + installButtonRanks + 6 },
        { "logButton", firstInstallButtonRank + installButtonRanks + 7 },
    };
} // namespace

int focusRank (const juce::String& componentId)
{
    for (const auto& control : rankedControls)
        if (componentId == control.componentId)
            return control.rank;

    if (componentId.startsWith (installButtonPrefix))
    {
        const auto number = componentId.substring (juce::String (installButtonPrefix).length());

        if (number.isNotEmpty() && number.containsOnly ("0123456789") && number.length() <= 3)
            return firstInstallButtonRank + number.getIntValue();
    }

    return 0;
}

juce::String languageButtonTitle (const LocalisedStrings::Lookup& tr)
{
    return tr ("switch_language");
}

juce::String pictureTitle (const juce::String& deviceName, const LocalisedStrings::Lookup& tr)
{
    if (deviceName.isEmpty())
        return {};

    return tr ("picture_of") + deviceName;
}

juce::String deviceBoxTitle (const LocalisedStrings::Lookup& tr)
{
    return tr ("product").trimCharactersAtEnd (juce::String (juce::CharPointer_UTF8 (":\xef\xbc\x9a ")));
}
} // namespace KeyboardAccess
