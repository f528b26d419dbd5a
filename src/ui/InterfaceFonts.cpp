#include "ui/InterfaceFonts.h"

namespace InterfaceFonts
{
juce::Font yaHei (float height)
{
    return juce::Font (yaHeiName, height, juce::Font::plain);
}
} // namespace InterfaceFonts
