#include <gtest/gtest.h>

#include "ui/LocalisedStrings.h"

using LocalisedStrings::lookUp;

namespace
{
juce::StringArray keysOf (const juce::var& object)
{
    juce::StringArray keys;

    if (auto* o = object.getDynamicObject())
        for (const auto& property : o->getProperties())
            keys.add (property.name.toString());

    return keys;
}
} // namespace

TEST (LocalisedStrings, TableHasBothLanguagesWithTheirKeys)
{
    const auto strings = LocalisedStrings::parseEmbeddedTable();
    ASSERT_TRUE (strings.isObject());
    EXPECT_EQ (keysOf (strings), juce::StringArray ({ "en", "cn" }));

    const auto en = keysOf (strings["en"]);
    const auto cn = keysOf (strings["cn"]);
    EXPECT_EQ (en.size(), 61);
    EXPECT_EQ (cn.size(), 62);

    for (const auto& key : en)
        EXPECT_TRUE (cn.contains (key) || key == "driver_error") << key;

    for (const auto& key : cn)
        EXPECT_TRUE (en.contains (key) || key == "install_tail_pro" || key == "install_tail_core") << key;

    for (const auto& key : cn)
    {
        EXPECT_TRUE (strings["cn"][juce::Identifier (key)].isString()) << key;
        EXPECT_TRUE (strings["cn"][juce::Identifier (key)].toString().isNotEmpty()) << key;
    }
}

TEST (LocalisedStrings, EnglishTextsAreExact)
{
    const auto strings = LocalisedStrings::parseEmbeddedTable();

    const std::pair<const char*, const char*> texts[] = {
        { "product", "Product:" },
        { "install", "Install " },
        { "no_device", "No device detected. Check sound card - computer connection" },
        { "support", "Click below button to install its latest software" },
        { "downloaded", "Download completed, waiting for installation..." },
        { "installed", "Installation complete" },
        { "download_error", "Server error. Please try again..." },
        { "ready", " is ready!" },
        { "unauthorised", "Unauthorised assistive functions.\nPlease complete the remaining installation steps yourself." },
        { "upper_ready", " is ready!\n\nDo you want to launch it?" },
        { "tip", "The current network speed is " },
        { "tip_tail", ",\nwhich is relatively slow.\nPlease wait patiently." },
        { "driver_error", "Unfortunately the installation failed." },
        { "error6", "Unspecified error with USB interface.\nIt is recommended to reinsert the USB interface\nor update the driver before reinstalling" },
        { "error7", "Installation failed,\nplease close all audio-related programs and try reinstalling" },
        { "error9", "Installation failed, DPInst tool reported an error.\nPlease restart your computer and try reinstalling" },
        { "connect_ask", "There is a device connected.\nDo you want to exit the manual mode?" },
        { "wait", "Loading manual selection mode, please wait...\nDriver installation may fail if device isn't connected to PC. Ensure proper connection." },
        { "tool_tip_tesselmax", "Tessel Max:Powerful Virtual Mixer, Plugin Host and Control Panel for advanced users" },
        { "tool_tip_plugin", "Plugin: Custom Shortcut Plugin" },
        { "reboot_tip", "    If this is the first time installing TesselLite/Tessel/TesselMax on your computer, please restart your computer at your convenience after the installation process completes automatically to ensure the software runs properly." },
        { "update_os", "This driver version is incompatible with your current system.\nPlease update Windows 10 to a version newer than 1909 (Build 18363) to continue.\n" },
        { "bit_warnning", "This product only works on 32-bit systems; 64-bit operating systems are not supported.\n" },
    };

    for (const auto& [key, text] : texts)
        EXPECT_EQ (lookUp (strings, "en", key), juce::String::fromUTF8 (text)) << key;
}

TEST (LocalisedStrings, ChineseTextsKeepTheRolesOfTheEnglishOnes)
{
    const auto strings = LocalisedStrings::parseEmbeddedTable();

    EXPECT_EQ (lookUp (strings, "cn", "product"), juce::String::fromUTF8 ("产品型号："));
    EXPECT_EQ (lookUp (strings, "cn", "quit_download"), juce::String::fromUTF8 ("取消"));
    EXPECT_EQ (lookUp (strings, "cn", "plugin"), juce::String::fromUTF8 ("触控插件"));
    EXPECT_TRUE (lookUp (strings, "cn", "ready").startsWith (" "));
    EXPECT_TRUE (lookUp (strings, "cn", "update_os").endsWith ("\n"));
    EXPECT_TRUE (lookUp (strings, "cn", "bit_warnning").endsWith ("\n"));
    EXPECT_TRUE (lookUp (strings, "cn", "reboot_tip").startsWith ("    "));

    // The look and feel recognises tooltips by the product name before the colon.
    for (auto [key, prefix] : { std::pair { "tool_tip_tesselmax", "Tessel Max:" },
                                { "tool_tip_tessellite", "Tessel Lite:" },
                                { "tool_tip_tessel", "Tessel:" },
                                { "tool_tip_tesselmini", "Tessel Mini:" },
                                { "tool_tip_vortexdeck", "Vortex-Deck:" },
                                { "tool_tip_keyweave", "KeyWeave:" },
                                { "tool_tip_plugin", "Plugin:" } })
    {
        EXPECT_TRUE (lookUp (strings, "cn", key).startsWith (prefix)) << key;
        EXPECT_TRUE (lookUp (strings, "en", key).startsWith (prefix)) << key;
    }
}

TEST (LocalisedStrings, MissingTextsShowTheirKey)
{
    const auto strings = LocalisedStrings::parseEmbeddedTable();

    EXPECT_EQ (lookUp (strings, "cn", "driver_error"), "driver_error");
    EXPECT_EQ (lookUp (strings, "en", "install_tail_pro"), "install_tail_pro");
    EXPECT_EQ (lookUp (strings, "en", "no_such_key"), "no_such_key");
    EXPECT_EQ (lookUp (strings, "de", "product"), "product");
    EXPECT_EQ (lookUp (strings, "", "product"), "product");
    EXPECT_EQ (lookUp (strings, "en", ""), "");

    EXPECT_EQ (lookUp (juce::var(), "en", "product"), "product") << "a table that did not parse";
    EXPECT_EQ (lookUp (juce::JSON::parse ("{\"en\": 5}"), "en", "product"), "product");
    EXPECT_EQ (lookUp (juce::JSON::parse ("{\"en\": {\"product\": 5}}"), "en", "product"), "product");
    EXPECT_EQ (lookUp (juce::JSON::parse ("{\"en\": {\"product\": [\"a\"]}}"), "en", "product"), "product");
}

TEST (LocalisedStrings, LanguageSwitchAlternates)
{
    EXPECT_EQ (LocalisedStrings::nextLanguage ("en"), "cn");
    EXPECT_EQ (LocalisedStrings::nextLanguage ("cn"), "en");
    EXPECT_EQ (LocalisedStrings::nextLanguage (LocalisedStrings::nextLanguage ("cn")), "cn");
    EXPECT_EQ (LocalisedStrings::nextLanguage (""), "en");
}
