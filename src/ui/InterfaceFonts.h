#pragma once

#include <juce_graphics/juce_graphics.h>

/** The typeface of the program's labels, buttons and tooltips. */
namespace InterfaceFonts
{
/** The Windows typeface the interface is designed for. */
constexpr const char* yaHeiName = "Microsoft YaHei";

/** "Microsoft YaHei" (or the installed font standing in for it), plain, at `height`. */
juce::Font yaHei (float height);
} // namespace InterfaceFonts
