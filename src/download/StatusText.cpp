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
