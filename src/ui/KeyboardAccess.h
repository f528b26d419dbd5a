#pragma once

#include <juce_core/juce_core.h>

#include "ui/LocalisedStrings.h"

/** What the interface offers a user without a mouse, and a screen reader:
    the order in which Tab visits the controls, and the titles spoken for
    the controls that show no text of their own.
*/
namespace KeyboardAccess
{
/** The place of a control in the Tab order, by its component ID: the
    device box, the install buttons from left to right, Manual and Quit
    Manual (with the setup guide), Cancel, Retry, the language button,
    Copy Log. Controls that are not visited get 0, which JUCE orders after
    every ranked one.
*/
int focusRank (const juce::String& componentId);

/** What the language button says: the language it switches to, in the
    interface language.
*/
juce::String languageButtonTitle (const LocalisedStrings::Lookup& tr);

/** What the device picture says: the device it shows, or nothing when no
    device is shown.
*/
juce::String pictureTitle (const juce::String& deviceName, const LocalisedStrings::Lookup& tr);

/** The device box's title: its label's text without the colon that ends it. */
juce::String deviceBoxTitle (const LocalisedStrings::Lookup& tr);
} // namespace KeyboardAccess
