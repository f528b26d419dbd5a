#include <gtest/gtest.h>

#include "core/MainComponent.h"
#include "core/ProcessState.h"
#include "support/SimulatedHostFolder.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/InterfaceComponent.h"

TEST (MainComponent, StartsAt600x400InTheRegionsLanguageWithItsWatchTimer)
{
    SimulatedHostFolder host;
    MainComponent main;

    EXPECT_EQ (main.getWidth(), 600);
    EXPECT_EQ (main.getHeight(), 400);
    EXPECT_TRUE (main.isTimerRunning());
    EXPECT_EQ (main.getTimerInterval(), 500);
    EXPECT_EQ (uiLanguage, "cn");
    EXPECT_EQ (main.getLocalisedText ("product"), juce::String::fromUTF8 ("产品型号："));
}

TEST (MainComponent, LooksTextsUpInTheCurrentInterfaceLanguage)
{
    SimulatedHostFolder host;
    MainComponent main;

    uiLanguage = "en";
    EXPECT_EQ (main.getLocalisedText ("yes"), "Yes");
    EXPECT_EQ (main.getLocalisedText ("upper_ready"), " is ready!\n\nDo you want to launch it?");
    EXPECT_EQ (main.getLocalisedText ("install_tail_core"), "install_tail_core");

    uiLanguage = "cn";
    EXPECT_EQ (main.getLocalisedText ("no"), juce::String::fromUTF8 ("否"));
    EXPECT_EQ (main.getLocalisedText ("driver_error"), "driver_error");
}

TEST (MainComponent, ShowsTheInterfaceWithTheProgramsLookAndFeelWhileItLives)
{
    SimulatedHostFolder host;

    {
        MainComponent main;

        ASSERT_EQ (main.getNumChildComponents(), 1);
        auto* ui = dynamic_cast<InterfaceComponent*> (main.getChildComponent (0));
        ASSERT_NE (ui, nullptr);
        EXPECT_TRUE (ui->isVisible());
        EXPECT_EQ (ui->getBounds(), juce::Rectangle<int> (0, 0, 600, 400));

        main.setSize (640, 480);
        EXPECT_EQ (ui->getBounds(), juce::Rectangle<int> (0, 0, 640, 480));

        EXPECT_NE (dynamic_cast<CustomLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
    }

    EXPECT_EQ (dynamic_cast<CustomLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
}
