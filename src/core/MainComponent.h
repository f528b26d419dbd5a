#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <unordered_map>

#include "devices/SharedSettings.h"
#include "ui/InterfaceComponent.h"

class CustomLookAndFeel;

/** The window's content and the program's orchestrator: it owns the device
    list of the run and the catalogue built from it, and watches the server
    and the USB devices every 500 ms.
*/
class MainComponent : public juce::Component,
                      public juce::ChangeListener,
                      public juce::Timer
{
public:
    MainComponent();
    ~MainComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void timerCallback() override;

    /** The text of `key` in the interface language (uiLanguage); the key
        itself when the table has none.
    */
    juce::String getLocalisedText (const juce::String& key) const;

    /** Fetches the device list into a new listFile in the temporary folder
        and publishes its plug-in page; true when a list arrived. Blocks
        until the download has ended.
    */
    bool downloadXml();

private:
    InterfaceComponent interfaceComponent;
    juce::File listFile;
    juce::File tmpDir;
    juce::StringArray lastPids;
    juce::StringArray declinedPids;
    juce::StringArray deviceNames;
    std::unordered_map<juce::String, juce::StringArray> driverTypes;
    std::unordered_map<juce::String, juce::StringArray> driverData;
    std::unordered_map<juce::String, juce::String> pictures;
    juce::String selectedSoftware;
    std::unique_ptr<CustomLookAndFeel> lookAndFeel; // the desktop's default look-and-feel while this lives
    juce::var strings;
    SharedSettings* settings = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
