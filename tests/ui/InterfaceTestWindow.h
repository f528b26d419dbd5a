#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "base/ProcessState.h"
#include "support/MessageLoop.h"
#include "support/SimulatedHostFolder.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/InterfaceComponent.h"

#include <unordered_map>

/** The interface as the program shows it: in a window with a native title
    bar on the desktop, with the program's look-and-feel as the default, on a
    simulated 64-bit Windows 10 host.
*/
class InterfaceTestWindow
{
public:
    InterfaceTestWindow()
    {
        host.setWindowsVersion ("10.0.19045");
        host.setWow64 (true);
        (host / "usb").createDirectory();
        uiLanguage = "cn";

        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        ui = std::make_unique<InterfaceComponent>();
        ui->setSize (600, 400);

        window.setUsingNativeTitleBar (true);
        window.setContentNonOwned (ui.get(), true);
        window.setTopLeftPosition (100, 100);
        window.setVisible (true);
    }

    ~InterfaceTestWindow()
    {
        window.clearContentComponent();
        ui.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    /** A shown child of the interface by its ID (its member name), or nullptr. */
    template <typename ComponentType = juce::Component>
    ComponentType* find (const juce::String& id) const
    {
        return dynamic_cast<ComponentType*> (ui->findChildWithID (id));
    }

    bool isShown (const juce::String& id) const { return find (id) != nullptr; }

    juce::String textOf (const juce::String& labelId) const
    {
        auto* label = find<juce::Label> (labelId);
        return label != nullptr ? label->getText() : juce::String ("<not shown>");
    }

    /** Plugs a device of the maker into the simulated host. */
    void plug (const juce::String& file, const juce::String& productId, const juce::String& friendlyName) const
    {
        host.write ("usb/" + file + ".device", "USB\\VID_2C7D&PID_" + productId + "&REV_0100\n" + friendlyName + "\n");
    }

    /** Hands over a catalogue and waits until the device box has picked its first item. */
    void setDevices (const juce::StringArray& names,
                     const std::unordered_map<juce::String, juce::StringArray>& types,
                     const std::unordered_map<juce::String, juce::StringArray>& offers,
                     const std::unordered_map<juce::String, juce::String>& pictures = {})
    {
        ui->setDeviceData (names, types, offers, pictures);
        settle();
    }

    /** Lets the asynchronous combo-box and click messages arrive. */
    void settle (int milliseconds = 100) const { runMessageLoopFor (milliseconds); }

    /** Clicks a shown button as a user would, and lets the click arrive. */
    void click (const juce::String& id) const
    {
        auto* button = find<juce::Button> (id);
        ASSERT_NE (button, nullptr) << id << " is not shown";
        button->triggerClick();
        settle();
    }

    SimulatedHostFolder host;
    CustomLookAndFeel lookAndFeel;
    std::unique_ptr<InterfaceComponent> ui;
    juce::DocumentWindow window { "Stratoset 1.1.17", juce::Colours::white, 0 };
};
