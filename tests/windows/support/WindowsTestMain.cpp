#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <windows.h>

int main (int argc, char** argv)
{
    // A failing test should print and go on, not stop at a system error box.
    SetErrorMode (SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    ::testing::InitGoogleTest (&argc, argv);

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    return RUN_ALL_TESTS();
}
