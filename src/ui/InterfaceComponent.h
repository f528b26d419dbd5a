#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <unordered_map>

#include "devices/SharedSettings.h"
#include "download/InstallerRetry.h"
#include "download/PictureCache.h"
#include "download/Selection.h"
#include "ui/LocalisedStrings.h"
#include "ui/StatusDisplay.h"

class CustomLookAndFeel;

/** The whole visible user interface: the white page with the logo and the
    device picture, the device box, the install buttons with their message
    line, the status line and progress bar, and the small buttons around
    them. It tells its listener (the main component) about install and
    manual-selection requests with a change message.

    Every child has a component ID equal to its member name, so it can be
    found with findChildWithID while it is shown.
*/
class InterfaceComponent : public juce::Component,
                           public juce::Button::Listener,
                           public juce::ChangeBroadcaster,
                           public juce::ComboBox::Listener,
                           private juce::FocusChangeListener
{
public:
    InterfaceComponent();
    ~InterfaceComponent() override;

    void paint (juce::Graphics& g) override;
    void paintOverChildren (juce::Graphics& g) override;
    void resized() override;

    /** Escape asks the Cancel question while Cancel is shown; any key shows
        the focus outline, until the next mouse click.
    */
    bool keyPressed (const juce::KeyPress& key) override;
    void mouseDown (const juce::MouseEvent& e) override;

    void buttonClicked (juce::Button* button) override;
    void comboBoxChanged (juce::ComboBox* box) override;

    /** Stores the catalogue handed over by the main component and refills
        the device box.
    */
    void setDeviceData (juce::StringArray names,
                        std::unordered_map<juce::String, juce::StringArray> driverTypesToUse,
                        std::unordered_map<juce::String, juce::StringArray> driverDataToUse,
                        std::unordered_map<juce::String, juce::String> picturesToUse);

    /** Manual selection found nothing this host may install: says so, with
        the way back out of manual mode.
    */
    void showNothingOffered();

    /** The set of connected devices has changed: the OS-update hint may be
        due again.
    */
    void connectedDevicesChanged();

    /** Refills the device box from the catalogue held. */
    void updateItems();

    /** Rebuilds the install buttons and the message line for the device shown. */
    void updateButtons();

    /** Shows what a status text of the download and installation means.
        Called on the message thread, or on a thread that holds the
        MessageManagerLock.
    */
    void updateStatus (juce::String status);

    /** The device picture named in the catalogue, fetched into the picture
        cache folder; an older cached copy when the download fails. Waits
        for the download (at most the picture's time limit): the interface
        itself fetches in the background when a device is shown.
    */
    juce::Image loadImage (const juce::String& name);

    /** The text of `key` in the interface language, or the key itself. */
    juce::String getLocalisedText (const juce::String& key) const;

    /** The install request of the last install button pressed. */
    const Selection& getSelection() const { return selection; }

    /** The number of the request begun last (an install button or Retry).
        A result that arrives later on the message thread carries the number
        of its own request and is dropped once another one has begun.
    */
    int getCurrentRequest() const { return currentRequest; }

    /** True while `request` is the one begun last. */
    bool isCurrentRequest (int request) const { return request == currentRequest; }

    /** How long Retry waits for an installer whose dialog tells nothing
        before "Time out" (InstallerRetry::endWaitLimitMs unless changed).
    */
    void setRetryEndWait (int milliseconds) { retryEndWaitMs = milliseconds; }

    /** The value the progress bar shows, 0.0 to 1.0. */
    double getProgressValue() const { return progressValue; }

    /** The interface language, "cn" or "en". */
    const juce::String& getLanguage() const { return language; }

    /** The box the device picture is drawn into, keeping its proportions:
        280 wide at (310, 60) for a landscape picture, else 150 high at
        (360, 60). Empty for a null picture.
    */
    static juce::Rectangle<int> getPictureBox (int pictureWidth, int pictureHeight);

    /** Where the notice line (speed tip, reconnecting) is shown. */
    static juce::Rectangle<int> getNoticeBounds() { return { 30, 120, 340, 90 }; }

    /** Where loadImage keeps the device pictures. */
    static juce::File getPictureCacheFolder();

    /** The public page of the maker's setup videos. */
    static constexpr const char* videoGuideUrl = "https://www.youtube.com/@VelmoraStudio/videos";

private:
    //==============================================================================
    void lockSelection();
    void unlockSelection();
    void hide (juce::Component& component);
    void show (juce::Component& component);
    juce::TextButton* getSelectedButton() const;
    juce::String getSelectedButtonText() const;
    void finish();
    int beginRequest() { return ++currentRequest; }
    void applyReaction (const StatusDisplay::Description& reaction);
    juce::String statusLineFor (const StatusDisplay::Description& reaction) const;
    void showProgress (const juce::String& status);
    void showDownloaded();
    void showInstallerFailure (const juce::String& status);
    void showServerNotice();
    void hideServerNotice();
    void endDownloadView();
    void enableSelectedButton();
    void setWindowTitle (const juce::String& title);
    void setLanguagePicture();
    void showUpdateHintOnce();
    void showPictureOf (const juce::String& name);

    void askToDownloadInBrowser();
    void copyLogFile();
    void openSetupGuide();
    void switchLanguage();
    void enterManualMode();
    void quitManualMode();
    void retryInstaller();
    void openPluginPage();
    void requestInstall (int index);

    void settleFocus();
    void setStatusLine (const juce::String& text);
    void updatePictureDescription();
    void globalFocusChanged (juce::Component* focusedComponent) override;

    /** The device box, which refuses every way of being changed (keys,
        its menu, a screen reader's actions) while the selection is locked,
        with its look unchanged.
    */
    struct LockableComboBox : public juce::ComboBox
    {
        bool keyPressed (const juce::KeyPress& key) override;
        void showPopup() override;
        void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;

        bool locked = false;
        bool usedByKeyboard = false; // a key has reached it
    };

    /** Says what the device picture, drawn by paint(), shows: a screen
        reader meets it where the picture is.
    */
    struct PictureDescription : public juce::Component
    {
        PictureDescription();
        std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    };

    //==============================================================================
    juce::Image logoImage;
    juce::Image languagePicture;
    juce::ImageButton languageButton;
    float textHeight = 19.0f;
    juce::Label productLabel;
    LockableComboBox deviceCombo;
    PictureDescription pictureDescription;
    juce::String currentDeviceName;
    juce::Image productImage;
    juce::Label noticeLabel;
    juce::Label messageLabel;
    juce::Label statusLabel;
    juce::OwnedArray<juce::TextButton> installButtons;
    int selectedIndex = -1;
    bool installStarted = false;
    int currentRequest = 0; // message thread only
    int retryEndWaitMs = InstallerRetry::endWaitLimitMs;
    juce::StringArray softwareNames;
    double progressValue = 0.0;
    juce::ProgressBar progressBar { progressValue };
    juce::StringArray deviceNames;
    std::unordered_map<juce::String, juce::StringArray> driverTypes;
    std::unordered_map<juce::String, juce::StringArray> driverData;
    std::unordered_map<juce::String, juce::String> pictures;
    juce::String osName;
    SharedSettings* settings = nullptr;
    juce::String language;
    juce::String region;
    Selection selection;
    juce::StringArray buttonOffers;
    std::unique_ptr<CustomLookAndFeel> customLookAndFeel;
    juce::var strings;

    /** getLocalisedText, for the rules that make texts. */
    const LocalisedStrings::Lookup tr = [this] (const juce::String& key)
    { return getLocalisedText (key); };

    juce::TextButton retryButton;
    juce::TextButton logButton;
    juce::TextButton manualButton;
    juce::TextButton quitManualButton;
    juce::TextButton guideButton;
    juce::TextButton cancelButton;

    /** JUCE's tooltip window polls the mouse on two timers (8 and 10 times a
        second) for as long as it exists, even with no tip to show; so it
        exists only while the mouse is over a component that has a tooltip
        (the install buttons), and an idle window stays asleep. A click ends
        it too, until the mouse comes back: the big tip of a product would
        otherwise return over the Cancel button of the download it started
        and swallow the click meant for Cancel. It goes after the events at
        hand have been handled.
    */
    struct TooltipsOnHover : public juce::MouseListener,
                             private juce::AsyncUpdater
    {
        void mouseEnter (const juce::MouseEvent& e) override;
        void mouseExit (const juce::MouseEvent& e) override;
        void mouseDown (const juce::MouseEvent& e) override;
        void handleAsyncUpdate() override;

        std::unique_ptr<juce::TooltipWindow> window;
    };

    TooltipsOnHover tooltipsOnHover;

    /** Consecutive progress reports below 512 KiB/s. */
    int slowTicks = 0;

    /** The OS-update hint has been shown for the devices connected now. */
    bool updateHintShown = false;

    /** A request runs: the language and the device cannot change. */
    bool selectionLocked = false;

    /** A key was pressed since the last mouse click: the focused control
        is outlined.
    */
    bool keyboardInUse = false;

    /** The control that last had the focus, which gets it back when the
        window takes the focus itself.
    */
    juce::Component::SafePointer<juce::Component> lastFocusedControl;

    /** The device box has the focus only because no install button was
        there to take it: the first one that comes takes it over, unless the
        user has used the keyboard or the mouse since.
    */
    bool focusStandsIn = false;

    // Last: its fetches end before what their callbacks use goes.
    PictureCache pictureCache { getPictureCacheFolder() };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InterfaceComponent)
};
