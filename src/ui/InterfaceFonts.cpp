#include "ui/InterfaceFonts.h"

#include "platform/Typefaces.h"

namespace InterfaceFonts
{
juce::Font yaHei (float height)
{
    return juce::Font (platform::getLocalTypefaceName (yaHeiName), height, juce::Font::plain);
}
} // namespace InterfaceFonts
