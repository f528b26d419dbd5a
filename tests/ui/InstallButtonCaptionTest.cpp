#include <gtest/gtest.h>

#include "ui/CustomLookAndFeel.h"

namespace
{
/** The horizontal extent of the caption's ink (black text on white) when
    the button is drawn `width` pixels wide.
*/
int inkWidth (juce::TextButton& button, int width)
{
    button.setBounds (0, 0, width, 30);
    juce::Image image (juce::Image::RGB, width, 30, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::white);
    button.paintEntireComponent (g, false);

    int left = width, right = -1;

    for (int x = 0; x < width; ++x)
        for (int y = 0; y < 30; ++y)
            if (image.getPixelAt (x, y).getPerceivedBrightness() < 0.4f)
            {
                left = juce::jmin (left, x);
                right = juce::jmax (right, x);
            }

    return right - left + 1;
}
} // namespace

// The install buttons of the Chinese interface are as wide as their look
// decides: the caption must fit there at its own size, not be squeezed.
// (Measured in a font without Chinese glyphs, as Windows' default font is,
// it came out a third of its width.)
TEST (InstallButtonCaption, FitsTheButtonItsLookAndFeelMakes)
{
    CustomLookAndFeel look;

    for (const auto* caption : { "\xe8\xa7\xa6\xe6\x8e\xa7\xe6\x8f\x92\xe4\xbb\xb6", "Tessel Max + \xe9\xa9\xb1\xe5\x8a\xa8", "HubDriver" })
    {
        const auto text = juce::String (juce::CharPointer_UTF8 (caption));
        SCOPED_TRACE (text);
        juce::TextButton button (text);
        button.setLookAndFeel (&look);
        button.setColour (juce::TextButton::buttonColourId, juce::Colours::white);
        button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
        button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);

        const auto width = look.getTextButtonWidthToFitText (button, 30);
        const auto natural = inkWidth (button, 600);

        EXPECT_GT (natural, 10);
        EXPECT_GE (inkWidth (button, width), natural - 2) << width << " px wide";
        button.setLookAndFeel (nullptr);
    }
}
