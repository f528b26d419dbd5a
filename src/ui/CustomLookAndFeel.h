#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The program's own buttons, progress bar and product tooltips (a tip text
    over a screenshot of the product). Everything else is LookAndFeel_V4's.

    The rules that decide sizes, pictures and fonts are static, so they can
    be checked without drawing anything.
*/
class CustomLookAndFeel : public juce::LookAndFeel_V4
{
public:
    CustomLookAndFeel() = default;

    /** The platform's stand-in for a Windows typeface this system lacks
        ("Microsoft YaHei", and a default font with Chinese glyphs), else
        LookAndFeel_V4's choice. JUCE asks the default look-and-feel for
        every typeface it has not met yet.
    */
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font& font) override;

    //==============================================================================
    juce::Rectangle<int> getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos, juce::Rectangle<int> parentArea) override;
    void drawTooltip (juce::Graphics& g, const juce::String& text, int width, int height) override;

    void drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics& g, juce::TextButton& button, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    /** The caption's width in the font drawButtonText draws it with, plus
        the button's height. JUCE's own measures in its default font, which
        on Windows has no Chinese glyphs: the Chinese captions came out
        squeezed into a button a third of their width.
    */
    int getTextButtonWidthToFitText (juce::TextButton& button, int buttonHeight) override;

    void drawProgressBar (juce::Graphics& g, juce::ProgressBar& bar, int width, int height, double progress, const juce::String& textToShow) override;

    /** The ring around the control that has the keyboard focus, in the
        colour of the ring a button shows under the mouse. `area` is the
        control's bounds; the ring lies just outside them.
    */
    void drawFocusOutline (juce::Graphics& g, juce::Rectangle<int> area) const;

    //==============================================================================
    static constexpr juce::uint32 tooltipBackgroundColour = 0xFFFFFFFF;
    static constexpr juce::uint32 tooltipTextColour = 0xFF000000;
    static constexpr juce::uint32 buttonOutlineColour = 0xFFD3D3D3;
    static constexpr juce::uint32 buttonHoverRingColour = 0xFF1ED7FF;
    static constexpr juce::uint32 guideTextColour = 0xFFFF0000;
    static constexpr juce::uint32 progressTrackColour = 0xFFADD8E6;
    static constexpr juce::uint32 progressFillColour = 0xFF006994;
    static constexpr juce::uint32 progressTextColour = 0xFFFFFFFF;

    /** The tooltip pictures, one per product tip (two for the plug-in). */
    enum class TooltipPicture
    {
        none,
        tesselMax,
        tessel,
        tesselLite,
        tesselMini,
        vortexDeck,
        keyWeave,
        pluginChinese,
        pluginEnglish
    };

    /** The tooltip's rectangle: at screenPos + (15, 15), 450 x 380 unless
        the tip names a product with a smaller picture.
    */
    static juce::Rectangle<int> tooltipBoundsFor (const juce::String& tipText, juce::Point<int> screenPos, const juce::String& language);

    /** The picture for a tip, by the first product name it contains; the
        plug-in's picture follows the language ("cn" or "en").
    */
    static TooltipPicture tooltipPictureFor (const juce::String& tipText, const juce::String& language);

    /** The embedded image of a tooltip picture (null for none). */
    static juce::Image loadTooltipPicture (TooltipPicture picture);

    /** What a tooltip shows as text: the part after the first ":", or the
        whole tip when it has none.
    */
    static juce::String tooltipTextOf (const juce::String& tipText);

    /** The font height of a button caption: min(0.3 x width, 0.6 x height),
        times 0.8 for captions longer than 4 characters (not for a "Manual"
        caption without "Quit"), kept within 10 to 28; 17.5 for product and
        driver captions.
    */
    static float buttonTextHeightFor (const juce::String& text, int width, int height);

    /** The filled part of a progress bar, truncated towards zero. */
    static int progressFillWidth (int width, double progress);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CustomLookAndFeel)
};
