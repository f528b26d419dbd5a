#include "ui/MyAlertWindow.h"

#include "ui/InterfaceFonts.h"

MyAlertWindow::MyAlertWindow (const juce::String& title, const juce::String& message)
{
    setName (title);

    messageLabel.setFont (InterfaceFonts::yaHei (16.0f));
    messageLabel.setText (message, juce::dontSendNotification);
    messageLabel.setJustificationType (juce::Justification::centred);
    messageLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    addAndMakeVisible (messageLabel);

    okButton.setButtonText ("OK");
    okButton.addListener (this);
    okButton.setColour (juce::TextButton::buttonColourId, juce::Colour (okButtonColour));
    okButton.setColour (juce::TextButton::textColourOnId, juce::Colours::white);
    addAndMakeVisible (okButton);

    setWantsKeyboardFocus (true);
    setSize (width, height);
}

MyAlertWindow::~MyAlertWindow()
{
    if (shownOn != nullptr)
        shownOn->removeComponentListener (this);

    okButton.removeListener (this);
}

void MyAlertWindow::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::transparentBlack);

    g.setColour (juce::Colour (panelColour));
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 12.0f);

    if (getName().isNotEmpty())
    {
        g.setColour (juce::Colours::white);
        g.setFont (InterfaceFonts::yaHei (16.0f));
        g.drawText (getName(), 0, 0, getWidth(), juce::jmin (getHeight(), 30), juce::Justification::centred, true);
    }
}

void MyAlertWindow::resized()
{
    const auto inner = getLocalBounds().reduced (10);
    // 70 % in whole numbers: in floats, 130 * 0.7 lands just below 91, and
    // whether it rounds up to 91 before the cut depends on the float unit
    // (the x87 of a 32-bit build keeps the extra precision and cuts to 90).
    const auto labelHeight = juce::jmin (inner.getHeight(), inner.getHeight() * 7 / 10);

    messageLabel.setBounds (inner.getX(), inner.getY(), inner.getWidth(), labelHeight);

    constexpr int buttonWidth = 60;
    constexpr int buttonHeight = 30;
    okButton.setBounds (inner.getX() + (inner.getWidth() - buttonWidth) / 2,
                        inner.getY() + labelHeight + (inner.getHeight() - labelHeight - buttonHeight) / 2,
                        buttonWidth,
                        buttonHeight);
}

bool MyAlertWindow::keyPressed (const juce::KeyPress& key)
{
    if (key.getKeyCode() == juce::KeyPress::returnKey || key.getKeyCode() == juce::KeyPress::escapeKey)
    {
        dismiss();
        return true;
    }

    return false;
}

void MyAlertWindow::buttonClicked (juce::Button* button)
{
    if (button == &okButton)
        dismiss();
}

void MyAlertWindow::dismiss()
{
    const auto giveFocusTo = focusBefore;

    if (auto* parent = getParentComponent())
        parent->removeChildComponent (this);

    delete this;

    if (giveFocusTo != nullptr && giveFocusTo->isShowing() && giveFocusTo->isEnabled())
        giveFocusTo->grabKeyboardFocus();
}

void MyAlertWindow::componentBeingDeleted (juce::Component& component)
{
    if (&component == shownOn)
        delete this;
}

void MyAlertWindow::showOn (juce::Component& window)
{
    focusBefore = juce::Component::getCurrentlyFocusedComponent();
    window.addAndMakeVisible (this);
    setCentrePosition (window.getWidth() / 2, window.getHeight() / 2);
    toFront (true);

    shownOn = &window;
    window.addComponentListener (this);
}

MyAlertWindow* showAlert (const juce::String& title, const juce::String& message)
{
    auto& desktop = juce::Desktop::getInstance();

    if (desktop.getNumComponents() == 0)
    {
        juce::Logger::writeToLog ("<showAlert> no window to show: " + message);
        return nullptr;
    }

    auto* alert = new MyAlertWindow (title, message);
    alert->showOn (*desktop.getComponent (0));
    return alert;
}
