#pragma once

#include <juce_core/juce_core.h>

/** What one tick of the device watch does with the product IDs it has just
    scanned, given what it saw before and the state of the program.
*/
namespace DeviceWatch
{
enum class Action
{
    nothing, // keep everything as it is
    askToLeaveManualMode, // a new set of devices while in manual mode
    rebuild // take the scanned IDs and rebuild the catalogue
};

/** `scanned` must be sorted. With devices connected the catalogue is rebuilt
    only when their set changed; with none it is rebuilt on every tick,
    except while installing or in manual mode.
*/
Action decide (const juce::StringArray& scanned,
               const juce::StringArray& lastPids,
               const juce::StringArray& declinedPids,
               bool manualMode,
               bool installing);

/** The scanned IDs sorted by code point, as the watch compares them. */
juce::StringArray sorted (juce::StringArray productIds);
} // namespace DeviceWatch
