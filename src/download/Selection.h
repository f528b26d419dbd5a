#pragma once

#include <juce_core/juce_core.h>

/** One install request, as the interface fills it in when an install button
    is pressed; copied by value into the download monitor and its callbacks.
*/
struct Selection
{
    juce::String deviceName; // the device name shown; empty when none is chosen
    juce::String softwareName; // display name of the chosen package
    juce::String region; // the interface's copy of the settings' region
    juce::String language; // the interface language, "cn" or "en"
    bool isEnTesselMax = false; // a Tessel Max package in region "en"
    juce::String url; // the offer's download address, blanks as %20 and "+" as %2B
    juce::String packageSha256; // the SHA-256 the device list gives the package, in hexadecimal; empty when none
};
