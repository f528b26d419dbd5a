#pragma once

#include <juce_graphics/juce_graphics.h>

namespace platform
{
/** The typeface to draw with in place of a Windows typeface that this
        system lacks, or nullptr to use the typeface by its name as usual.

        On Windows always nullptr: "Microsoft YaHei" is there, and Windows
        finds Chinese glyphs for the default font by itself. JUCE elsewhere
        draws no glyph at all for a missing typeface and has no fallback, so
        the stand-in gives a CJK sans-serif font (Debian's WenQuanYi Micro
        Hei, which JUCE cannot find by name because it comes as a font
        collection) for "Microsoft YaHei" and for JUCE's default sans-serif
        font.
    */
juce::Typeface::Ptr getStandInTypeface (const juce::String& typefaceName);
} // namespace platform
