#include <gtest/gtest.h>

#include "support/MessageLoop.h"
#include "ui/MyAlertWindow.h"

namespace
{
/** A top-level window on the desktop, as the main window is. */
struct DesktopWindow : juce::Component
{
    DesktopWindow()
    {
        setSize (600, 400);
        addToDesktop (0);
        setVisible (true);
    }
};

int countAlerts (const juce::Component& window)
{
    int n = 0;

    for (auto* child : window.getChildren())
        n += dynamic_cast<MyAlertWindow*> (child) != nullptr ? 1 : 0;

    return n;
}
} // namespace

TEST (MyAlertWindow, LabelTakesSeventyPercentAndTheButtonSitsBelowIt)
{
    MyAlertWindow alert (" ", "A message");

    EXPECT_EQ (alert.getBounds(), juce::Rectangle<int> (0, 0, 350, 150));
    EXPECT_EQ (alert.getMessageLabel().getBounds(), juce::Rectangle<int> (10, 10, 330, 91));
    EXPECT_EQ (alert.getOkButton().getBounds(), juce::Rectangle<int> (145, 105, 60, 30));
    EXPECT_EQ (alert.getOkButton().getButtonText(), "OK");
    EXPECT_EQ (alert.getMessageLabel().getText(), "A message");
    EXPECT_EQ (alert.getName(), " ");

    // The panel is the dark rounded rectangle, its corners transparent.
    const auto image = alert.createComponentSnapshot (alert.getLocalBounds(), true, 1.0f);
    EXPECT_EQ (image.getPixelAt (20, 140).getARGB(), MyAlertWindow::panelColour);
    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0);
}

TEST (MyAlertWindow, ShowAlertCentresOnTheMainWindowAndKeysDismissIt)
{
    DesktopWindow window;
    juce::Component::SafePointer<MyAlertWindow> alert (showAlert (" ", "Hello"));

    ASSERT_NE (alert, nullptr);
    EXPECT_EQ (alert->getParentComponent(), &window);
    EXPECT_EQ (alert->getBounds(), juce::Rectangle<int> (125, 125, 350, 150));
    EXPECT_TRUE (alert->isVisible());

    EXPECT_FALSE (alert->keyPressed (juce::KeyPress ('a')));
    EXPECT_FALSE (alert->keyPressed (juce::KeyPress (juce::KeyPress::spaceKey)));
    EXPECT_NE (alert, nullptr);

    EXPECT_TRUE (alert->keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_EQ (alert, nullptr);

    juce::Component::SafePointer<MyAlertWindow> second (showAlert (" ", "Again"));
    juce::Component::SafePointer<MyAlertWindow> third (showAlert (" ", "And again"));
    EXPECT_EQ (countAlerts (window), 2);

    EXPECT_TRUE (second->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (second, nullptr);
    EXPECT_EQ (countAlerts (window), 1) << "each dismisses on its own";

    third->getOkButton().triggerClick();
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return third == nullptr; }));
    EXPECT_EQ (countAlerts (window), 0);
}

TEST (MyAlertWindow, GoesWithItsWindowAndNeedsOne)
{
    juce::Component::SafePointer<MyAlertWindow> alert;

    {
        DesktopWindow window;
        alert = showAlert (" ", "Never answered");
        ASSERT_NE (alert, nullptr);
    }

    EXPECT_EQ (alert, nullptr);
    EXPECT_EQ (showAlert (" ", "Nowhere to show"), nullptr);
}
