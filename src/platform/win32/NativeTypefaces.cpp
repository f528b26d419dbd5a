#include "platform/Typefaces.h"

namespace platform
{
juce::String getLocalTypefaceName (const juce::String& windowsTypefaceName)
{
    return windowsTypefaceName;
}

juce::String getDefaultSansSerifTypefaceName()
{
    return {};
}
} // namespace platform
