#pragma once

#include <juce_core/juce_core.h>

namespace platform
{
/** The installed typeface that stands for a Windows typeface name.

        On Windows the name itself. Elsewhere a Windows font such as
        "Microsoft YaHei" is missing, and JUCE draws no glyphs at all for a
        missing typeface, so the stand-in names an installed font of the same
        role (a CJK sans-serif for YaHei); a name it does not know stays.
    */
juce::String getLocalTypefaceName (const juce::String& windowsTypefaceName);

/** The typeface that JUCE's default sans-serif font should use, or empty to
        keep JUCE's own choice. Windows falls back to a CJK font by itself;
        JUCE on other systems does not, so the stand-in names one that also
        has Chinese glyphs.
    */
juce::String getDefaultSansSerifTypefaceName();
} // namespace platform
