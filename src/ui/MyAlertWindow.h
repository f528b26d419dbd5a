#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The program's message box: a dark rounded panel with a message and an
    "OK" button, laid over the middle of the main window as a child of it.
    Not modal; it deletes itself when dismissed with OK, Return or Escape,
    or when the window it lies on goes away. Dismissed, it gives the keyboard
    focus back to the control that had it.
*/
class MyAlertWindow : public juce::Component,
                      public juce::Button::Listener,
                      private juce::ComponentListener
{
public:
    /** The title is the component's name, drawn as the panel's top line. */
    MyAlertWindow (const juce::String& title, const juce::String& message);
    ~MyAlertWindow() override;

    void paint (juce::Graphics& g) override;
    void resized() override;
    bool keyPressed (const juce::KeyPress& key) override;
    void buttonClicked (juce::Button* button) override;

    /** Adds the alert to `window`, centred on it, in front with keyboard focus. */
    void showOn (juce::Component& window);

    const juce::Label& getMessageLabel() const { return messageLabel; }
    juce::TextButton& getOkButton() { return okButton; }

    static constexpr int width = 350;
    static constexpr int height = 150;
    static constexpr juce::uint32 panelColour = 0xFF333333;
    static constexpr juce::uint32 okButtonColour = 0xFF5D5D5D;

private:
    /** Takes the panel off its window and deletes it. */
    void dismiss();

    /** The window it lies on is being deleted: nobody else would delete it. */
    void componentBeingDeleted (juce::Component& component) override;

    juce::Label messageLabel;
    juce::TextButton okButton;
    juce::Component* shownOn = nullptr; // the window it was added to, watched for its deletion
    juce::Component::SafePointer<juce::Component> focusBefore; // gets the focus back when the alert goes

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MyAlertWindow)
};

/** Shows a message over the main window (the first top-level component of
    the desktop), centred on it and in front with keyboard focus, and
    returns at once. Without a window there is nothing to show it on, and
    the message goes to the run log instead. Returns the alert shown, or
    nullptr.
*/
MyAlertWindow* showAlert (const juce::String& title, const juce::String& message);
