#pragma once

#include <juce_graphics/juce_graphics.h>

/** The typeface of the program's labels, buttons and tooltips. */
namespace InterfaceFonts
{
/** The Windows typeface the interface is designed for. */
constexpr const char* yaHeiName = "Microsoft YaHei";

/** "Microsoft YaHei", plain, at `height`; CustomLookAndFeel draws it with
    the platform's stand-in where the system lacks it.
*/
juce::Font yaHei (float height);
} // namespace InterfaceFonts
