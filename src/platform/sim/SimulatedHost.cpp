#include "platform/sim/SimulatedHost.h"

#include <cstdlib>

namespace platform::sim
{
std::optional<juce::File> SimulatedHost::getFolder()
{
    const auto* value = std::getenv (environmentVariable);

    if (value == nullptr || *value == 0)
        return std::nullopt;

    return juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (value));
}

std::optional<juce::File> SimulatedHost::getChild (const juce::String& relativePath)
{
    if (auto folder = getFolder())
        return folder->getChildFile (relativePath);

    return std::nullopt;
}

std::optional<juce::String> SimulatedHost::readFirstLine (const juce::String& relativePath)
{
    const auto file = getChild (relativePath);

    if (! file.has_value() || ! file->existsAsFile())
        return std::nullopt;

    juce::FileInputStream in (*file);

    if (! in.openedOk())
        return std::nullopt;

    return in.readNextLine().trim();
}
} // namespace platform::sim
