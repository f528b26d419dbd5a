#include "app/StratosetApplication.h"

#include "base/AppInfo.h"
#include "base/RunLog.h"
#include "core/MainComponent.h"
#include "platform/ProcessEnvironment.h"

#include <iostream>

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

    juce::Logger::setCurrentLogger (RunLog::open().release());

    mainWindow = std::make_unique<MainWindow> (getApplicationName());
}

void StratosetApplication::shutdown()
{
    std::unique_ptr<juce::Logger> runLog (juce::Logger::getCurrentLogger());
    juce::Logger::setCurrentLogger (nullptr);

    mainWindow = nullptr;
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
