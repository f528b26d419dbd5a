#include "ui/CustomLookAndFeel.h"

#include "base/ProcessState.h"
#include "platform/Typefaces.h"
#include "ui/InterfaceFonts.h"

#include <cmath>
#include <limits>

#include <BinaryData.h>

juce::Typeface::Ptr CustomLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    if (auto standIn = platform::getStandInTypeface (font.getTypefaceName()))
        return standIn;

    return LookAndFeel_V4::getTypefaceForFont (font);
}

//==============================================================================
juce::Rectangle<int> CustomLookAndFeel::tooltipBoundsFor (const juce::String& tipText, juce::Point<int> screenPos, const juce::String& language)
{
    auto width = 450;
    auto height = 380;

    // Each later hit overrides an earlier one.
    if (tipText.contains ("Tessel Max:"))
        width = 550;

    if (tipText.contains ("Tessel:") || tipText.contains ("Tessel Lite:"))
    {
        width = 450;
        height = 320;
    }

    if (tipText.contains ("KeyWeave:"))
    {
        height = 30;
        width = language == "cn" ? 280 : 450;
    }

    if (tipText.contains ("Vortex-Deck:"))
    {
        width = 450;
        height = 300;
    }

    if (tipText.contains ("Plugin:"))
    {
        width = 300;
        height = 210;
    }

    return { screenPos.x + 15, screenPos.y + 15, width, height };
}

CustomLookAndFeel::TooltipPicture CustomLookAndFeel::tooltipPictureFor (const juce::String& tipText, const juce::String& language)
{
    if (tipText.contains ("Tessel Max:"))
        return TooltipPicture::tesselMax;

    if (tipText.contains ("Tessel:"))
        return TooltipPicture::tessel;

    if (tipText.contains ("Tessel Lite:"))
        return TooltipPicture::tesselLite;

    if (tipText.contains ("Tessel Mini:"))
        return TooltipPicture::tesselMini;

    if (tipText.contains ("Vortex-Deck:"))
        return TooltipPicture::vortexDeck;

    if (tipText.contains ("KeyWeave:"))
        return TooltipPicture::keyWeave;

    if (tipText.contains ("Plugin:"))
    {
        if (language == "cn")
            return TooltipPicture::pluginChinese;

        if (language == "en")
            return TooltipPicture::pluginEnglish;
    }

    return TooltipPicture::none;
}

juce::Image CustomLookAndFeel::loadTooltipPicture (TooltipPicture picture)
{
    const auto fromMemory = [] (const char* data, int size)
    {
        return juce::ImageCache::getFromMemory (data, size);
    };

    switch (picture)
    {
        case TooltipPicture::tesselMax:
            return fromMemory (BinaryData::tooltip_tesselmax_png, BinaryData::tooltip_tesselmax_pngSize);
        case TooltipPicture::tessel:
            return fromMemory (BinaryData::tooltip_tessel_png, BinaryData::tooltip_tessel_pngSize);
        case TooltipPicture::tesselLite:
            return fromMemory (BinaryData::tooltip_tessellite_png, BinaryData::tooltip_tessellite_pngSize);
        case TooltipPicture::tesselMini:
            return fromMemory (BinaryData::tooltip_tesselmini_png, BinaryData::tooltip_tesselmini_pngSize);
        case TooltipPicture::vortexDeck:
            return fromMemory (BinaryData::tooltip_vortexdeck_png, BinaryData::tooltip_vortexdeck_pngSize);
        case TooltipPicture::keyWeave:
            return fromMemory (BinaryData::tooltip_keyweave_png, BinaryData::tooltip_keyweave_pngSize);
        case TooltipPicture::pluginChinese:
            return fromMemory (BinaryData::plugin_cn_jpg, BinaryData::plugin_cn_jpgSize);
        case TooltipPicture::pluginEnglish:
            return fromMemory (BinaryData::plugin_en_jpg, BinaryData::plugin_en_jpgSize);
        case TooltipPicture::none:
            break;
    }

    return {};
}

juce::String CustomLookAndFeel::tooltipTextOf (const juce::String& tipText)
{
    return tipText.contains (":") ? tipText.fromFirstOccurrenceOf (":", false, false) : tipText;
}

float CustomLookAndFeel::buttonTextHeightFor (const juce::String& text, int width, int height)
{
    const auto lower = text.toLowerCase();

    for (const auto* product : { "driver", "tessel", "qx", "vortex", "keyweave", "plugin" })
        if (lower.contains (product))
            return 17.5f;

    auto size = juce::jmin (0.3f * (float) width, 0.6f * (float) height);

    if (text.length() > 4 && ! (text.contains ("Manual") && ! text.contains ("Quit")))
        size *= 0.8f;

    return juce::jlimit (10.0f, 28.0f, size);
}

int CustomLookAndFeel::progressFillWidth (int width, double progress)
{
    return (int) ((double) width * progress);
}

//==============================================================================
juce::Rectangle<int> CustomLookAndFeel::getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos, juce::Rectangle<int>)
{
    return tooltipBoundsFor (tipText, screenPos, uiLanguage);
}

void CustomLookAndFeel::drawTooltip (juce::Graphics& g, const juce::String& text, int width, int height)
{
    g.fillAll (juce::Colour (tooltipBackgroundColour));

    const auto picture = loadTooltipPicture (tooltipPictureFor (text, uiLanguage));
    const auto shownText = tooltipTextOf (text);

    if (picture.isValid())
    {
        const auto pictureWidth = width - 20;
        const auto pictureHeight = pictureWidth * picture.getHeight() / picture.getWidth();
        g.drawImage (picture, 10, 30, pictureWidth, pictureHeight, 0, 0, picture.getWidth(), picture.getHeight());

        g.setColour (juce::Colour (tooltipTextColour));
        g.setFont (InterfaceFonts::yaHei (17.0f));
        g.drawFittedText (shownText, 10, 5, width - 20, 30, juce::Justification::centredLeft, 999);
        return;
    }

    juce::ignoreUnused (height);
    g.fillAll (juce::Colour (tooltipBackgroundColour));
    g.setColour (juce::Colour (tooltipTextColour));
    g.setFont (juce::Font (14.0f));
    g.drawFittedText (shownText, 10, 10, width - 20, 30, juce::Justification::centredLeft, 999);
}

void CustomLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    g.setColour (backgroundColour);
    g.fillRoundedRectangle (button.getLocalBounds().toFloat(), 4.0f);

    const auto inner = button.getLocalBounds().reduced (1).toFloat();
    g.setColour (juce::Colour (buttonOutlineColour));
    g.drawRoundedRectangle (inner, 4.0f, 1.0f);

    if (shouldDrawButtonAsHighlighted && ! shouldDrawButtonAsDown)
    {
        g.setColour (juce::Colour (buttonHoverRingColour));
        g.drawRoundedRectangle (inner, 4.0f, 4.0f);
    }
}

void CustomLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    const auto text = button.getButtonText();

    g.setFont (InterfaceFonts::yaHei (buttonTextHeightFor (text, button.getWidth(), button.getHeight())));
    g.setColour (text.toLowerCase().contains ("guide") ? juce::Colour (guideTextColour)
                                                       : button.findColour (juce::TextButton::textColourOnId, false));
    g.drawFittedText (text, 0, 0, button.getWidth(), button.getHeight(), juce::Justification::centred, 2);
}

int CustomLookAndFeel::getTextButtonWidthToFitText (juce::TextButton& button, int buttonHeight)
{
    // The text's height as drawButtonText chooses it once the button is wide
    // enough for the text (its width only ever lowers the height).
    const auto text = button.getButtonText();
    const auto font = InterfaceFonts::yaHei (buttonTextHeightFor (text, std::numeric_limits<int>::max() / 2, buttonHeight));

    return (int) std::ceil (font.getStringWidthFloat (text)) + buttonHeight;
}

void CustomLookAndFeel::drawProgressBar (juce::Graphics& g, juce::ProgressBar&, int width, int height, double progress, const juce::String& textToShow)
{
    g.setColour (juce::Colour (progressTrackColour));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) width, (float) height, 5.0f);

    g.setColour (juce::Colour (progressFillColour));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) progressFillWidth (width, progress), (float) height, 5.0f);

    g.setColour (juce::Colour (progressTextColour));
    g.setFont (juce::Font (14.0f));
    g.drawText (textToShow, 0, 0, width, height, juce::Justification::centred, true);
}

void CustomLookAndFeel::drawFocusOutline (juce::Graphics& g, juce::Rectangle<int> area) const
{
    g.setColour (juce::Colour (buttonHoverRingColour));
    g.drawRoundedRectangle (area.toFloat().expanded (2.0f), 5.0f, 2.0f);
}
