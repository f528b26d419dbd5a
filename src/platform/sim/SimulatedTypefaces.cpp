#include "platform/Typefaces.h"

#include <juce_events/juce_events.h>

namespace platform
{
namespace
{
    /** The first face of the first CJK sans-serif font file found. JUCE
            scans only single-font files by name, so the font is loaded from
            its file's data.
        */
    juce::Typeface::Ptr loadChineseSansSerif()
    {
        for (const auto* path : { "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
                                  "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
                                  "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc" })
        {
            juce::MemoryBlock data;

            if (! juce::File (path).loadFileAsData (data) || data.isEmpty())
                continue;

            if (auto typeface = juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize()); typeface != nullptr && typeface->getName().isNotEmpty())
                return typeface;
        }

        return nullptr;
    }

    /** Holds the loaded font until JUCE shuts down, so that it goes before
            JUCE's own statics do.
        */
    class StandInTypefaces : private juce::DeletedAtShutdown
    {
    public:
        ~StandInTypefaces() override { clearSingletonInstance(); }

        const juce::Typeface::Ptr chinese = loadChineseSansSerif();

        JUCE_DECLARE_SINGLETON (StandInTypefaces, false)
    };

    JUCE_IMPLEMENT_SINGLETON (StandInTypefaces)
} // namespace

juce::Typeface::Ptr getStandInTypeface (const juce::String& typefaceName)
{
    if (typefaceName != "Microsoft YaHei" && typefaceName != juce::Font::getDefaultSansSerifFontName())
        return nullptr;

    return StandInTypefaces::getInstance()->chinese;
}
} // namespace platform
