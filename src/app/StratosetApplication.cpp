#include "app/StratosetApplication.h"

#include "base/AppInfo.h"
#include "base/DetachedThread.h"
#include "base/RunLog.h"
#include "core/MainComponent.h"
#include "platform/ProcessEnvironment.h"

#include <iostream>

namespace
{
/** How long the end of the program waits for worker threads (the window is gone by then). */
constexpr int threadEndWaitMs = 1000;
} // namespace

const juce::String StratosetApplication::getApplicationName()
{
    return AppInfo::getApplicationName();
}

const juce::String StratosetApplication::getApplicationVersion()
{
    return AppInfo::getVersion();
}

bool StratosetApplication::moreThanOneInstanceAllowed()
{
    return true;
}

void StratosetApplication::initialise (const juce::String&)
{
    platform::prepareProcessEnvironment();

    // Without a display JUCE cannot open the window; say so rather than crash.
    if (! platform::isDisplayAvailable())
    {
        std::cerr << "Stratoset: no display is available (is DISPLAY set?), so the window cannot be opened." << std::endl;
        setApplicationReturnValue (1);
        quit();
        return;
    }

    RunLog::install (RunLog::open());

    mainWindow = std::make_unique<MainWindow> (getApplicationName());
}

void StratosetApplication::shutdown()
{
    // The window goes first: the requests it ran tell their worker threads
    // to stop, and threads that wait for an installer give up.
    mainWindow = nullptr;
    stopDetachedThreads();

    // The window is gone, so the threads are given a moment to write their
    // last lines; one still running after that (a click its dialog has not
    // taken) writes to a closed log.
    waitForDetachedThreads (threadEndWaitMs);
    RunLog::close();
}

void StratosetApplication::anotherInstanceStarted (const juce::String&)
{
}

void StratosetApplication::systemRequestedQuit()
{
    quit();
}

void StratosetApplication::suspended()
{
}

void StratosetApplication::resumed()
{
}

void StratosetApplication::memoryWarningReceived()
{
}

bool StratosetApplication::backButtonPressed()
{
    return false;
}

//==============================================================================
StratosetApplication::MainWindow::MainWindow (const juce::String& name)
    : DocumentWindow (name,
                      juce::Desktop::getInstance().getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                      DocumentWindow::allButtons)
{
    setUsingNativeTitleBar (true);

    // On X11 JUCE maps the window when the native title bar recreates it; it
    // stays hidden until its content is ready.
    if (auto* peer = getPeer(); peer != nullptr && ! isVisible())
        peer->setVisible (false);

    setContentOwned (new MainComponent(), true);
    setResizable (true, true);
    centreWithSize (getWidth(), getHeight());
    setVisible (true);
}

void StratosetApplication::MainWindow::closeButtonPressed()
{
    JUCEApplication::getInstance()->systemRequestedQuit();
}
