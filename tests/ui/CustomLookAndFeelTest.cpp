#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "ui/CustomLookAndFeel.h"

using Picture = CustomLookAndFeel::TooltipPicture;

TEST (CustomLookAndFeel, TooltipSizeFollowsTheProductInTheTip)
{
    const juce::Point<int> mouse { 100, 200 };
    const auto bounds = [&] (const char* tip, const char* language = "en")
    { return CustomLookAndFeel::tooltipBoundsFor (juce::String::fromUTF8 (tip), mouse, language); };

    EXPECT_EQ (bounds ("Tessel Max:Mixer"), juce::Rectangle<int> (115, 215, 550, 380));
    EXPECT_EQ (bounds ("Tessel:Matrix"), juce::Rectangle<int> (115, 215, 450, 320));
    EXPECT_EQ (bounds ("Tessel Lite:Gain"), juce::Rectangle<int> (115, 215, 450, 320));
    EXPECT_EQ (bounds ("KeyWeave:Mapping", "cn"), juce::Rectangle<int> (115, 215, 280, 30));
    EXPECT_EQ (bounds ("KeyWeave:Mapping", "en"), juce::Rectangle<int> (115, 215, 450, 30));
    EXPECT_EQ (bounds ("Vortex-Deck:FX"), juce::Rectangle<int> (115, 215, 450, 300));
    EXPECT_EQ (bounds ("Plugin: Shortcuts"), juce::Rectangle<int> (115, 215, 300, 210));
    EXPECT_EQ (bounds ("Tessel Mini:Matrix"), juce::Rectangle<int> (115, 215, 450, 380));
    EXPECT_EQ (bounds ("no product"), juce::Rectangle<int> (115, 215, 450, 380));
    EXPECT_EQ (bounds ("Tessel Max: with Plugin: inside"), juce::Rectangle<int> (115, 215, 300, 210)) << "later hits win";
}

TEST (CustomLookAndFeel, TooltipPictureByFirstProductAndPluginByLanguage)
{
    using L = CustomLookAndFeel;

    EXPECT_EQ (L::tooltipPictureFor ("Tessel Max:x", "cn"), Picture::tesselMax);
    EXPECT_EQ (L::tooltipPictureFor ("Tessel Lite:x", "cn"), Picture::tesselLite);
    EXPECT_EQ (L::tooltipPictureFor ("Tessel Mini:x", "cn"), Picture::tesselMini);
    EXPECT_EQ (L::tooltipPictureFor ("KeyWeave:x Tessel:", "cn"), Picture::tessel);
    EXPECT_EQ (L::tooltipPictureFor ("Plugin: x", "cn"), Picture::pluginChinese);
    EXPECT_EQ (L::tooltipPictureFor ("Plugin: x", "en"), Picture::pluginEnglish);
    EXPECT_EQ (L::tooltipPictureFor ("Plugin: x", "de"), Picture::none);
    EXPECT_EQ (L::tooltipPictureFor ("Driver", "en"), Picture::none);

    // The embedded pictures decode, at the width the tooltip draws them.
    const std::pair<Picture, int> widths[] = { { Picture::tesselMax, 530 }, { Picture::tessel, 430 }, { Picture::tesselLite, 430 }, { Picture::tesselMini, 430 }, { Picture::vortexDeck, 430 }, { Picture::keyWeave, 430 }, { Picture::pluginChinese, 280 }, { Picture::pluginEnglish, 280 } };

    for (const auto& [picture, width] : widths)
        EXPECT_EQ (L::loadTooltipPicture (picture).getWidth(), width) << (int) picture;

    EXPECT_EQ (L::tooltipTextOf ("Plugin: Custom: Shortcut"), " Custom: Shortcut");
    EXPECT_EQ (L::tooltipTextOf ("no colon"), "no colon");
}

TEST (CustomLookAndFeel, ButtonTextHeight)
{
    const auto height = [] (const char* text, int w, int h)
    { return CustomLookAndFeel::buttonTextHeightFor (text, w, h); };

    EXPECT_FLOAT_EQ (height ("Copy", 80, 30), 18.0f) << "4 characters are not scaled";
    EXPECT_FLOAT_EQ (height ("Copy!", 80, 30), 14.4f);
    EXPECT_FLOAT_EQ (height ("Manual", 80, 30), 18.0f);
    EXPECT_FLOAT_EQ (height ("Quit Manual", 80, 30), 14.4f);
    EXPECT_FLOAT_EQ (height ("OK", 20, 30), 10.0f) << "at least 10";
    EXPECT_FLOAT_EQ (height ("OK", 200, 100), 28.0f) << "at most 28";
    EXPECT_FLOAT_EQ (height ("Tessel Max + Driver", 200, 30), 17.5f);
    EXPECT_FLOAT_EQ (height ("HubDriver", 20, 10), 17.5f);
    EXPECT_FLOAT_EQ (height ("VORTEX", 200, 100), 17.5f);

    EXPECT_EQ (CustomLookAndFeel::progressFillWidth (301, 0.5), 150);
    EXPECT_EQ (CustomLookAndFeel::progressFillWidth (560, 0.305), 170);
}

TEST (CustomLookAndFeel, DrawsTheProgramsColours)
{
    CustomLookAndFeel lookAndFeel;
    const auto pixel = [] (const juce::Image& image, int x, int y)
    { return image.getPixelAt (x, y).getARGB(); };

    double progress = 0.5;
    juce::ProgressBar bar (progress);
    bar.setSize (301, 30);
    juce::Image barImage (juce::Image::ARGB, 301, 30, true);
    {
        juce::Graphics g (barImage);
        lookAndFeel.drawProgressBar (g, bar, 301, 30, 0.5, "");
    }
    EXPECT_EQ (pixel (barImage, 140, 2), CustomLookAndFeel::progressFillColour);
    EXPECT_EQ (pixel (barImage, 160, 2), CustomLookAndFeel::progressTrackColour);

    juce::TextButton button ("button");
    button.setSize (80, 30);
    const auto background = juce::Colour (0xFF204060);

    for (const auto highlighted : { false, true })
    {
        juce::Image image (juce::Image::ARGB, 80, 30, true);
        {
            juce::Graphics g (image);
            lookAndFeel.drawButtonBackground (g, button, background, highlighted, false);
        }
        EXPECT_EQ (pixel (image, 40, 15), background.getARGB());
        EXPECT_EQ (pixel (image, 40, 2), highlighted ? CustomLookAndFeel::buttonHoverRingColour : background.getARGB()) << highlighted;
    }

    // A product tip shows its picture below the text; a plain tip only text on white.
    uiLanguage = "en";
    const auto drawTip = [&] (const juce::String& tip)
    {
        juce::Image image (juce::Image::ARGB, 450, 320, true);
        juce::Graphics g (image);
        lookAndFeel.drawTooltip (g, tip, 450, 320);
        return image;
    };

    const auto picture = CustomLookAndFeel::loadTooltipPicture (Picture::tessel);
    EXPECT_EQ (pixel (drawTip ("Tessel:Matrix"), 200, 200), picture.getPixelAt (190, 170).getARGB());
    EXPECT_EQ (pixel (drawTip ("Driver only"), 200, 200), CustomLookAndFeel::tooltipBackgroundColour);
}
