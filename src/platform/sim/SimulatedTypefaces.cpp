#include "platform/Typefaces.h"

#include <juce_graphics/juce_graphics.h>

namespace platform
{
namespace
{
    /** The first installed family of a few common CJK sans-serif fonts
            (Debian's fonts-wqy-microhei first), or empty when none is there.
        */
    const juce::String& findChineseSansSerif()
    {
        static const juce::String found = []
        {
            const auto installed = juce::Font::findAllTypefaceNames();

            for (const auto* candidate : { "WenQuanYi Micro Hei", "Noto Sans CJK SC", "Droid Sans Fallback" })
                if (installed.contains (candidate))
                    return juce::String (candidate);

            return juce::String();
        }();

        return found;
    }
} // namespace

juce::String getLocalTypefaceName (const juce::String& windowsTypefaceName)
{
    if (windowsTypefaceName == "Microsoft YaHei" && findChineseSansSerif().isNotEmpty())
        return findChineseSansSerif();

    return windowsTypefaceName;
}

juce::String getDefaultSansSerifTypefaceName()
{
    return findChineseSansSerif();
}
} // namespace platform
