#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <unordered_map>

#include "devices/DeviceDatabase.h"
#include "devices/SharedSettings.h"
#include "download/InstallLock.h"
#include "download/Selection.h"
#include "ui/DelayedCall.h"
#include "ui/InterfaceComponent.h"

#include <memory>

class CustomLookAndFeel;
class FileFetch;
class DownloadMonitor;
class WorkFolder;

/** The window's content and the program's orchestrator: it owns the device
    list of the run and the catalogue built from it, and watches the server
    and the USB devices every 500 ms.
*/
class MainComponent : public juce::Component,
                      public juce::ChangeListener,
                      public juce::Timer
{
public:
    MainComponent();
    ~MainComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void timerCallback() override;

    /** The text of `key` in the interface language (uiLanguage); the key
        itself when the table has none.
    */
    juce::String getLocalisedText (const juce::String& key) const;

    /** Starts the first fetch of the device list into a new listFile in the
        temporary folder, in the background; deviceListValid stays false
        until a tick takes its end (see watchForList).
    */
    void downloadXml();

    /** Offers the packages of the connected devices (lastPids). */
    void obtainDetected();

    /** Offers every device of the list: manual selection. */
    void obtainAll();

    /** Starts the download monitor of an accepted install request; every
        status goes to `reportStatus`, and after a final one the monitor is let
        go of 100 ms later.
    */
    void startDownload (const Selection& selection,
                        const juce::String& tmpDirPath,
                        std::function<void (const juce::String&)> reportStatus);

    /** The reaction to one status of the running request, on the message thread. */
    void handleStatus (const Selection& selection, const juce::String& status);

    /** The running download and installation, or nullptr. */
    DownloadMonitor* getDownloadMonitor() const { return downloadMonitor.get(); }

    /** The program found for the last installation's launch question. */
    const juce::File& getOfferedProgram() const { return offeredProgram; }

private:
    /** While the list is not valid: takes the end of the running attempt,
        or shows "Server error" and starts the next one. True when the first
        attempt has just brought the list, so that the tick goes on to the
        devices at once; a list that comes after a failed attempt is a
        reconnection, whose tick ends there.
    */
    bool watchForList();
    void chooseListFile();
    void askToLeaveManualMode (const juce::StringArray& pids);
    void offerToLaunch (const juce::File& program, const juce::String& software);

    InterfaceComponent interfaceComponent;
    juce::File listFile;
    std::unique_ptr<WorkFolder> workFolder; // this copy's own, for as long as it runs
    std::unique_ptr<InstallLock> installLock; // held from an accepted request to its end
    juce::StringArray lastPids;
    juce::StringArray declinedPids;
    std::vector<DeviceDatabase> databases;
    juce::StringArray deviceNames;
    std::unordered_map<juce::String, juce::StringArray> driverTypes;
    std::unordered_map<juce::String, juce::StringArray> driverData;
    std::unordered_map<juce::String, juce::String> pictures;
    juce::String selectedSoftware;
    std::unique_ptr<DownloadMonitor> downloadMonitor;
    std::unique_ptr<CustomLookAndFeel> lookAndFeel; // the desktop's default look-and-feel while this lives
    juce::var strings;
    SharedSettings* settings = nullptr;
    juce::File offeredProgram;
    std::unique_ptr<FileFetch> listFetch;
    juce::String listAddress;
    bool listAttemptFailed = false;
    DelayedCall launchOffer;

    /** Lets the monitor of a finished request go; a pending call goes with
        this component (a Timer::callAfterDelay still pending at exit leaked).
    */
    DelayedCall monitorRelease;

    /** How long after "Installed" the installed program's shortcut is looked for. */
    static constexpr int shortcutPauseMs = 2000;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
