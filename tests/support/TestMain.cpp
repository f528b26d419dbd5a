#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>

namespace
{
// Xlib's default handler ends the process on the first error.
int ignoreXError (Display*, XErrorEvent*) { return 0; }
} // namespace

int main (int argc, char** argv)
{
    XInitThreads();
    XSetErrorHandler (ignoreXError);

    ::testing::InitGoogleTest (&argc, argv);

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    return RUN_ALL_TESTS();
}
