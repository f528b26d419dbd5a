#pragma once

#include <juce_core/juce_core.h>

#include <optional>

namespace platform::sim
{
/** The folder that plays the Windows host on systems other than Windows.

        It is named by the environment variable STRATOSET_SIMULATED_HOST and
        read afresh on every query, so a test can change the host while the
        program runs (plugging a device is adding a file). Without the
        variable the host has nothing: version queries fail, there is no USB
        device set and no window.
    */
class SimulatedHost
{
public:
    static constexpr const char* environmentVariable = "STRATOSET_SIMULATED_HOST";

    /** The host folder, or nothing when the variable is unset or empty. */
    static std::optional<juce::File> getFolder();

    /** A file or folder of the host, or nothing without a host. */
    static std::optional<juce::File> getChild (const juce::String& relativePath);

    /** The trimmed first line of a file of the host, or nothing when the
            host or the file is missing or cannot be read.
        */
    static std::optional<juce::String> readFirstLine (const juce::String& relativePath);
};
} // namespace platform::sim
