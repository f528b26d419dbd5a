#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The application object: opens the run log, creates the main window and
    tears both down again at exit.
*/
class StratosetApplication : public juce::JUCEApplication
{
public:
    StratosetApplication() = default;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;
    void suspended() override;
    void resumed() override;
    void memoryWarningReceived() override;
    bool backButtonPressed() override;

    /** The single top-level window; its content is the MainComponent. */
    class MainWindow : public juce::DocumentWindow
    {
    public:
        explicit MainWindow (const juce::String& name);

        void closeButtonPressed() override;

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
    };

private:
    std::unique_ptr<MainWindow> mainWindow;
};
