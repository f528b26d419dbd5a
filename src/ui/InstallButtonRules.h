#pragma once

#include <juce_core/juce_core.h>

#include "ui/LocalisedStrings.h"

#include <vector>

/** The rules behind the install buttons: which packages of a device get a
    button and with which offer, what a button says and shows as its tip,
    and what an install request made from an offer holds.
*/
namespace InstallButtonRules
{
using Lookup = LocalisedStrings::Lookup;

/** One install button: its package code and the offer it installs. */
struct Button
{
    juce::String code;
    juce::String offer;
};

/** True when an offer fits a code on this OS: it contains both. */
bool offerFits (const juce::String& offer, const juce::String& code, const juce::String& osName);

/** One button per code, in code order, each with the first fitting offer
    that no earlier button has taken; a code without such an offer gets no
    button. Every offer is installed by at most one button, so each button
    keeps its own offer.
*/
std::vector<Button> pairCodesWithOffers (const juce::StringArray& codes, const juce::StringArray& offers, const juce::String& osName);

/** The 32-bit warning fires for a 32-bit package on a 64-bit system, but
    only for an offer without "win": offers that match a Windows OS name
    always hold it, so on Windows it stays silent.
*/
bool warnsAbout32BitPackage (const juce::String& offer, const juce::String& bitness);

/** The caption for a code: the driver word for "dri", "qx3", "newdri" and
    "enqx3"; a plug-in caption chosen by region and language (none outside
    the regions "cn" and "en"); display name + " + " + driver word for
    "+dri" codes; otherwise the display name.
*/
juce::String captionFor (const juce::String& code, const juce::String& region, const juce::String& language, const Lookup& tr);

/** The string-table key of a code's tooltip, or empty when it has none. */
juce::String tooltipKeyFor (const juce::String& code);

/** True for the caption of a plug-in button in either language. */
bool isPluginCaption (const juce::String& caption, const Lookup& tr);

/** The download address of an offer: the text after its first ">" (the
    whole offer when it has none), with blanks as "%20" and "+" as "%2B".
*/
juce::String downloadAddressOf (const juce::String& offer);

/** What an install request says about the chosen package. */
struct PackageFlags
{
    bool oldKeyWeave = false; // the legacy mapping editor
    bool notQt = false; // the newer build of the flagship control panel
    bool noDriverIncluded = false; // no "+dri" in the offer
    bool enQx3 = false; // its driver is fetched online
    bool enTesselMax = false; // a Tessel Max package in region "en"
};

PackageFlags flagsFor (const juce::String& offer, const juce::String& region);

/** Packages after whose first installation a restart is advised: a
    Tessel-family code right after the device name.
*/
bool advisesRestart (const juce::String& offer);
} // namespace InstallButtonRules
