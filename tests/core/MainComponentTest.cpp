#include <gtest/gtest.h>

#include "core/MainComponent.h"
#include "core/ProcessState.h"
#include "support/SimulatedHostFolder.h"

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
