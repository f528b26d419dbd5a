#include "core/DeviceWatch.h"

namespace DeviceWatch
{
Action decide (const juce::StringArray& scanned,
               const juce::StringArray& lastPids,
               const juce::StringArray& declinedPids,
               bool manualMode,
               bool installing)
{
    if (! scanned.isEmpty())
    {
        if (scanned == lastPids)
            return Action::nothing;

        if (manualMode && scanned == declinedPids)
            return Action::nothing;

        if (installing)
            return Action::nothing;

        return manualMode ? Action::askToLeaveManualMode : Action::rebuild;
    }

    if (manualMode || installing)
        return Action::nothing;

    return Action::rebuild;
}

juce::StringArray sorted (juce::StringArray productIds)
{
    productIds.sort (false);
    return productIds;
}
} // namespace DeviceWatch
