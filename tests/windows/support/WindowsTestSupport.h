#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "support/JuceValuePrinters.h"

#include <windows.h>

/** Helpers of the Windows tests: the programs beside the runner, facts
    read straight from Windows (not through the code under test), and a
    screenshot of a window.
*/
namespace WindowsTestSupport
{
/** A program built beside the test runner, e.g. "Stratoset.exe". */
juce::File getProgramBesideRunner (const juce::String& fileName);

/** An environment variable of the process; empty when it is not set. */
juce::String getEnvironmentVariable (const juce::String& name);

/** The Machine field of a PE file's header (0x14c for x86, 0x8664 for
    x64), or 0 when the file is missing or not a PE file.
*/
uint16_t readPeMachine (const juce::File& file);

/** The Subsystem field of a PE file's optional header, or 0. */
uint16_t readPeSubsystem (const juce::File& file);

/** A visible top-level window of the process, or nullptr. */
HWND findVisibleWindowOfProcess (DWORD processId);

/** The user's roaming application-data folder, as the shell names it. */
juce::File getRoamingApplicationDataFolder();

/** What the screen shows of a window's client area, once the window has
    had a moment to paint; null when it cannot be read.
*/
juce::Image captureClientArea (HWND window);

/** Copies what the screen shows of a window, frame and title bar
    included, into a PNG file. False when the window cannot be read or
    the file cannot be written.
*/
bool saveWindowScreenshot (HWND window, const juce::File& pngFile);
} // namespace WindowsTestSupport
