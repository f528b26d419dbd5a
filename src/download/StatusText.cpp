#include "download/StatusText.h"

namespace StatusText
{
bool isProgress (const juce::String& status)
{
    return status.contains ("%");
}

bool isInstallerFailure (const juce::String& status)
{
    return status.contains (installerFailureMarker);
}

juce::String makeSpaceShortage (juce::int64 bytesNeeded, const juce::String& volume)
{
    return spaceShortagePrefix + juce::String (bytesNeeded) + " " + volume;
}

bool isSpaceShortage (const juce::String& status)
{
    return status.startsWith (spaceShortagePrefix);
}

SpaceShortage parseSpaceShortage (const juce::String& status)
{
    const auto rest = status.fromFirstOccurrenceOf (spaceShortagePrefix, false, false);
    return { rest.upToFirstOccurrenceOf (" ", false, false).getLargeIntValue(), rest.fromFirstOccurrenceOf (" ", false, false) };
}

bool isTerminal (const juce::String& status)
{
    return status == installed
           || status == downloadError
           || status == installError
           || status == appFound
           || status == manualInstall
           || status == softwareExist
           || isInstallerFailure (status);
}

juce::String makeProgress (juce::int64 received, juce::int64 total, juce::int64 bytesPerSecond)
{
    const auto percent = total > 0 ? (float) received / (float) total * 100.0f : 0.0f;
    return juce::String::formatted ("%f%% ", (double) percent) + juce::String (bytesPerSecond);
}

Progress parseProgress (const juce::String& status)
{
    Progress progress;
    const auto blank = status.indexOfChar (' ');

    // The number ends with the "%" just before the blank.
    const auto number = blank > 0 ? status.substring (0, blank - 1) : status.upToFirstOccurrenceOf ("%", false, false);
    progress.value = number.getDoubleValue() / 100.0;

    if (blank >= 0)
        progress.bytesPerSecond = status.substring (blank + 1).getLargeIntValue();

    return progress;
}
} // namespace StatusText
