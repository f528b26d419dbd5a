#pragma once

#include <juce_core/juce_core.h>

namespace AppInfo
{
/** The version of this build, "1.1.17". */
inline juce::String getVersion() { return STRATOSET_VERSION; }

/** "Stratoset " followed by the version. */
inline juce::String getApplicationName() { return "Stratoset " + getVersion(); }
} // namespace AppInfo
