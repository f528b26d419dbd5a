#include "ui/InterfaceComponent.h"

#include "base/DetachedThread.h"
#include "base/ProcessState.h"
#include "base/RunLog.h"
#include "devices/DriverMonitor.h"
#include "devices/HostSystem.h"
#include "devices/ProductCatalogue.h"
#include "download/DriverStoreCheck.h"
#include "download/InstallerRetry.h"
#include "download/StatusText.h"
#include "platform/ShellFolderService.h"
#include "ui/ButtonRowLayout.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/DeviceCatalogue.h"
#include "ui/InstallButtonRules.h"
#include "ui/InterfaceFonts.h"
#include "ui/KeyboardAccess.h"
#include "ui/LocalisedStrings.h"
#include "ui/MyAlertWindow.h"
#include "ui/RunLogExcerpt.h"
#include "ui/StatusDisplay.h"

#include <BinaryData.h>

namespace
{
constexpr juce::uint32 disabledButtonColour = 0xFFD3D3D3;
constexpr juce::uint32 disabledButtonTextColour = 0xFF000000;
constexpr const char* manualModeTitleSuffix = "[Manual mode]";
const juce::Rectangle<int> logoBounds { 10, 5, 81, 18 };

juce::Image languagePictureFor (const juce::String& language)
{
    // The dark half of the picture shows the current language.
    if (language == "en")
        return juce::ImageCache::getFromMemory (BinaryData::language_en_png, BinaryData::language_en_pngSize);

    return juce::ImageCache::getFromMemory (BinaryData::language_cn_png, BinaryData::language_cn_pngSize);
}

template <typename Map>
typename Map::mapped_type valueOr (const Map& map, const juce::String& key)
{
    const auto found = map.find (key);
    return found != map.end() ? found->second : typename Map::mapped_type();
}

void greyOut (juce::TextButton& button)
{
    button.setEnabled (false);
    button.setColour (juce::TextButton::buttonColourId, juce::Colour (disabledButtonColour));
    button.setColour (juce::TextButton::textColourOnId, juce::Colour (disabledButtonTextColour));
}
} // namespace

//==============================================================================
InterfaceComponent::InterfaceComponent()
    : logoImage (juce::ImageCache::getFromMemory (BinaryData::logo_png, BinaryData::logo_pngSize)),
      osName (getOsName()),
      settings (&getSharedSettings()),
      language (settings->region),
      region (settings->region),
      customLookAndFeel (std::make_unique<CustomLookAndFeel>())
{
    strings = LocalisedStrings::parseEmbeddedTable();

    progressBar.setLookAndFeel (customLookAndFeel.get());

    setLanguagePicture();
    languageButton.addListener (this);
    addAndMakeVisible (languageButton);

    const auto textFont = InterfaceFonts::yaHei (textHeight);

    for (auto* label : { &productLabel, &noticeLabel, &messageLabel, &statusLabel })
    {
        label->setJustificationType (label == &productLabel ? juce::Justification::centred : juce::Justification::left);
        label->setColour (juce::Label::textColourId, juce::Colours::black);
        label->setFont (textFont);
    }

    deviceCombo.addListener (this);

    addAndMakeVisible (productLabel);
    addAndMakeVisible (deviceCombo);
    addAndMakeVisible (noticeLabel);
    addAndMakeVisible (messageLabel);

    for (auto* button : { &retryButton, &logButton, &manualButton, &quitManualButton, &guideButton, &cancelButton })
        button->addListener (this);

    addAndMakeVisible (logButton);

    if (language == "en")
        addAndMakeVisible (guideButton);

    if (auto* app = juce::JUCEApplicationBase::getInstance())
        appWindowTitle = "Stratoset " + app->getApplicationVersion() + " ";

    const std::pair<juce::Component*, const char*> ids[] = {
        { &languageButton, "languageButton" },
        { &productLabel, "productLabel" },
        { &deviceCombo, "deviceCombo" },
        { &noticeLabel, "noticeLabel" },
        { &messageLabel, "messageLabel" },
        { &statusLabel, "statusLabel" },
        { &progressBar, "progressBar" },
        { &retryButton, "retryButton" },
        { &logButton, "logButton" },
        { &manualButton, "manualButton" },
        { &quitManualButton, "quitManualButton" },
        { &guideButton, "guideButton" },
        { &cancelButton, "cancelButton" },
    };

    for (const auto& [component, id] : ids)
    {
        component->setComponentID (id);
        component->setExplicitFocusOrder (KeyboardAccess::focusRank (id));
    }

    // Tab goes round the controls in the order of KeyboardAccess; the
    // page itself never takes the focus.
    setFocusContainerType (FocusContainerType::keyboardFocusContainer);
    setWantsKeyboardFocus (false);

    pictureDescription.setComponentID ("pictureDescription");
    addChildComponent (pictureDescription);

    addMouseListener (&tooltipsOnHover, true);
    addMouseListener (this, true);
    juce::Desktop::getInstance().addFocusChangeListener (this);
}

InterfaceComponent::~InterfaceComponent()
{
    juce::Desktop::getInstance().removeFocusChangeListener (this);
    removeMouseListener (this);
    removeMouseListener (&tooltipsOnHover);

    // The look-and-feel goes before the components that use it.
    for (auto* button : installButtons)
    {
        button->setLookAndFeel (nullptr);
        button->removeListener (this);
    }

    progressBar.setLookAndFeel (nullptr);
    logButton.setLookAndFeel (nullptr);

    languageButton.removeListener (this);
    deviceCombo.removeListener (this);

    for (auto* button : { &retryButton, &logButton, &manualButton, &quitManualButton, &guideButton, &cancelButton })
        button->removeListener (this);
}

//==============================================================================
void InterfaceComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xFFFFFFFF));
    // The logo is kept at three times the size it is shown at: sharp on a
    // scaled display.
    g.drawImage (logoImage, logoBounds.toFloat(), juce::RectanglePlacement::stretchToFit);

    if (productImage.isValid())
    {
        const auto box = getPictureBox (productImage.getWidth(), productImage.getHeight());
        g.drawImage (productImage, box.getX(), box.getY(), box.getWidth(), box.getHeight(), 0, 0, productImage.getWidth(), productImage.getHeight());
    }
}

void InterfaceComponent::paintOverChildren (juce::Graphics& g)
{
    if (! keyboardInUse)
        return;

    auto* focused = juce::Component::getCurrentlyFocusedComponent();

    if (focused != nullptr && isParentOf (focused) && focused->isShowing())
        customLookAndFeel->drawFocusOutline (g, getLocalArea (focused, focused->getLocalBounds()));
}

bool InterfaceComponent::keyPressed (const juce::KeyPress& key)
{
    focusStandsIn = false;

    if (! keyboardInUse)
    {
        keyboardInUse = true;
        repaint();
    }

    if (key.isKeyCode (juce::KeyPress::escapeKey) && cancelButton.isShowing())
    {
        cancelButton.triggerClick();
        return true;
    }

    if (key.isKeyCode (juce::KeyPress::tabKey))
    {
        // JUCE's own Tab stops at the last control; this one goes round.
        const auto order = createKeyboardFocusTraverser()->getAllComponents (this);

        if (order.empty())
            return false;

        const auto backwards = key.getModifiers().isShiftDown();
        const auto current = std::find (order.begin(), order.end(), juce::Component::getCurrentlyFocusedComponent());
        const auto count = order.size();
        auto next = backwards ? count - 1 : 0;

        if (current != order.end())
        {
            const auto index = (size_t) std::distance (order.begin(), current);
            next = backwards ? (index + count - 1) % count : (index + 1) % count;
        }

        order[next]->grabKeyboardFocus();
        return true;
    }

    return false;
}

void InterfaceComponent::mouseDown (const juce::MouseEvent&)
{
    focusStandsIn = false;

    if (keyboardInUse)
    {
        keyboardInUse = false;
        repaint();
    }
}

void InterfaceComponent::globalFocusChanged (juce::Component* focused)
{
    if (focused != nullptr && isParentOf (focused))
    {
        lastFocusedControl = focused;
    }
    else if (focused != nullptr && focused->isParentOf (this) && isShowing() && ! isCurrentlyBlockedByAnotherModalComponent())
    {
        // The window itself took the focus (as it does when X or Windows
        // gives the window the focus again): it goes back to the control
        // that had it.
        if (lastFocusedControl != nullptr && lastFocusedControl->isShowing() && lastFocusedControl->isEnabled())
            lastFocusedControl->grabKeyboardFocus();
        else
            settleFocus();
    }

    if (keyboardInUse)
        repaint();
}

void InterfaceComponent::settleFocus()
{
    if (! isShowing())
        return;

    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    const auto onlyStandingIn = focused == &deviceCombo && focusStandsIn && ! deviceCombo.usedByKeyboard;

    if (focused != nullptr && isParentOf (focused) && focused->isShowing() && focused->isEnabled() && ! onlyStandingIn)
        return;

    if (auto* first = installButtons[0]; first != nullptr && first->isShowing() && first->isEnabled())
    {
        focusStandsIn = false;
        first->grabKeyboardFocus();
    }
    else if (deviceCombo.isShowing())
    {
        // Until the first install button is there.
        focusStandsIn = true;
        deviceCombo.usedByKeyboard = false;
        deviceCombo.grabKeyboardFocus();
    }
}

void InterfaceComponent::setStatusLine (const juce::String& text)
{
    const auto changed = text != statusLabel.getText();
    statusLabel.setText (text, juce::dontSendNotification);

    if (changed && text.trim().isNotEmpty())
        juce::AccessibilityHandler::postAnnouncement (text, juce::AccessibilityHandler::AnnouncementPriority::medium);
}

void InterfaceComponent::updatePictureDescription()
{
    const auto box = productImage.isValid() ? getPictureBox (productImage.getWidth(), productImage.getHeight()) : juce::Rectangle<int>();
    pictureDescription.setBounds (box);
    pictureDescription.setTitle (KeyboardAccess::pictureTitle (currentDeviceName, tr));
    pictureDescription.setVisible (! box.isEmpty());
}

InterfaceComponent::PictureDescription::PictureDescription()
{
    setInterceptsMouseClicks (false, false);
}

std::unique_ptr<juce::AccessibilityHandler> InterfaceComponent::PictureDescription::createAccessibilityHandler()
{
    return std::make_unique<juce::AccessibilityHandler> (*this, juce::AccessibilityRole::image);
}

bool InterfaceComponent::LockableComboBox::keyPressed (const juce::KeyPress& key)
{
    usedByKeyboard = true;

    // Tab still moves on; every other key is used up while locked.
    if (locked)
        return ! key.isKeyCode (juce::KeyPress::tabKey) && ! key.isKeyCode (juce::KeyPress::escapeKey);

    return juce::ComboBox::keyPressed (key);
}

void InterfaceComponent::LockableComboBox::showPopup()
{
    if (! locked)
        juce::ComboBox::showPopup();
}

void InterfaceComponent::LockableComboBox::mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    if (! locked)
        juce::ComboBox::mouseWheelMove (e, wheel);
}

juce::Rectangle<int> InterfaceComponent::getPictureBox (int pictureWidth, int pictureHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return {};

    const auto ratio = (float) pictureWidth / (float) pictureHeight;

    if (pictureWidth > pictureHeight)
        return { 310, 60, 280, (int) (280.0f / ratio) };

    return { 360, 60, (int) (150.0f * ratio), 150 };
}

void InterfaceComponent::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();

    languageButton.setBounds (w - 40, 0, 40, 30);
    productLabel.setBounds (30, 60, 80, 30);
    messageLabel.setBounds (30, 250, 540, 30);
    deviceCombo.setBounds (110, 60, 200, 30);
    progressBar.setBounds (20, 350, 560, 30);
    statusLabel.setBounds (30, 330, 520, 60);
    productLabel.setText (getLocalisedText ("product"), juce::dontSendNotification);
    deviceCombo.setTitle (KeyboardAccess::deviceBoxTitle (tr));
    updatePictureDescription();
    retryButton.setBounds (w - 70, h - 80, 60, 30);
    logButton.setBounds (w - 90, h - 40, 80, 30);
    quitManualButton.setButtonText (getLocalisedText ("quit_manual"));
    guideButton.setButtonText ("Setup Guide");

    if (region == "en")
    {
        quitManualButton.setBounds (w - 175, 5, 60, 24);
        guideButton.setBounds (w - 105, 5, 60, 24);
    }
    else
    {
        quitManualButton.setBounds (w - 105, 5, 60, 24);
    }

    cancelButton.setName ("quit_download");
    cancelButton.setButtonText (getLocalisedText ("quit_download"));
    cancelButton.setBounds (w - 80, h - 80, 60, 24);

    // The notices (speed tip, reconnecting) need room before the first
    // server error gives them the same place.
    noticeLabel.setBounds (getNoticeBounds());
}

//==============================================================================
juce::String InterfaceComponent::getLocalisedText (const juce::String& key) const
{
    return LocalisedStrings::lookUp (strings, language, key);
}

juce::File InterfaceComponent::getPictureCacheFolder()
{
    auto& folders = platform::shellFolders();
    const auto machineWide = folders.getCommonApplicationDataFolder().getChildFile ("Velmora").getChildFile ("StratosetDriver");

    if (machineWide.isDirectory() || machineWide.createDirectory())
        return machineWide;

    // The user's own folder still keeps the pictures, which beats none at
    // all: a locked-down Windows, or a system whose shared data folder is
    // not writable (a Linux /opt).
    const auto own = folders.getUserApplicationDataFolder().getChildFile ("Velmora").getChildFile ("StratosetDriver");
    juce::Logger::writeToLog ("<InterfaceComponent::loadImage> cannot create " + machineWide.getFullPathName() + ", pictures are kept in " + own.getFullPathName());
    return own;
}

juce::Image InterfaceComponent::loadImage (const juce::String& name)
{
    return pictureCache.fetchNow (valueOr (pictures, name));
}

void InterfaceComponent::showPictureOf (const juce::String& name)
{
    const auto address = valueOr (pictures, name);

    // The copy kept from before at once, the fresh one when it arrives; a
    // picture of a device no longer shown is dropped.
    productImage = pictureCache.getKept (address);
    updatePictureDescription();

    const auto showFresh = [this, name] (juce::Image fresh)
    {
        if (name != currentDeviceName)
            return;

        productImage = fresh;
        updatePictureDescription();
        repaint();
    };

    pictureCache.refresh (address, showFresh);
}

//==============================================================================
void InterfaceComponent::setDeviceData (juce::StringArray names,
                                        std::unordered_map<juce::String, juce::StringArray> driverTypesToUse,
                                        std::unordered_map<juce::String, juce::StringArray> driverDataToUse,
                                        std::unordered_map<juce::String, juce::String> picturesToUse)
{
    deviceNames.clear();
    driverTypes.clear();
    driverData.clear();

    deviceNames = std::move (names);
    driverTypes = std::move (driverTypesToUse);
    driverData = std::move (driverDataToUse);
    pictures = std::move (picturesToUse);

    updateItems();
}

void InterfaceComponent::updateItems()
{
    if (manualModeActive)
    {
        show (quitManualButton);
        setWindowTitle (appWindowTitle + manualModeTitleSuffix);
    }
    else
    {
        hide (quitManualButton);
        setWindowTitle (appWindowTitle);
    }

    hide (statusLabel);
    deviceCombo.clear();

    DeviceCatalogue catalogue { std::move (deviceNames), std::move (driverTypes), std::move (driverData), std::move (pictures) };
    const auto isEmpty = catalogue.isEmpty();

    juce::StringArray items;

    if (! isEmpty)
    {
        DriverMonitor monitor;
        monitor.rememberPresentDevices();
        const auto isConnected = [&monitor] (const juce::String& name)
        { return monitor.isDriverExist (name); };

        items = catalogue.sortAndSplit (manualModeActive, isConnected);
    }

    deviceNames = std::move (catalogue.names);
    driverTypes = std::move (catalogue.driverTypes);
    driverData = std::move (catalogue.driverData);
    pictures = std::move (catalogue.pictures);

    if (isEmpty)
    {
        // Back in front of anything shown over its place.
        removeChildComponent (&deviceCombo);
        addAndMakeVisible (deviceCombo);

        updateButtons();
        showUpdateHintOnce();
        return;
    }

    for (int i = 0; i < items.size(); ++i)
        deviceCombo.addItem (items[i], i + 1);

    deviceCombo.setSelectedItemIndex (0, juce::sendNotificationAsync);
}

void InterfaceComponent::connectedDevicesChanged()
{
    updateHintShown = false;
}

void InterfaceComponent::showUpdateHintOnce()
{
    // The main component hands over an empty catalogue on every tick while
    // nothing is connected: one hint per set of connected devices.
    if (! osVersionTooOld || updateHintShown)
        return;

    updateHintShown = true;
    juce::Logger::writeToLog ("InterfaceComponent.cpp > OS need to update!\n");
    showAlert (" ", getLocalisedText ("update_os"));
}

void InterfaceComponent::comboBoxChanged (juce::ComboBox* box)
{
    if (box != &deviceCombo)
        return;

    noticeLabel.setText (" ", juce::dontSendNotification);
    currentDeviceName = deviceCombo.getText();
    showPictureOf (currentDeviceName);
    hide (statusLabel);
    updateButtons();
    repaint();
}

void InterfaceComponent::updateButtons()
{
    logButton.setButtonText (getLocalisedText ("log"));
    logButton.setLookAndFeel (customLookAndFeel.get());

    hide (retryButton);
    hide (cancelButton);

    const auto name = deviceCombo.getText();

    // A button that goes away under the mouse gets no exit.
    tooltipsOnHover.window.reset();
    installButtons.clear();
    softwareNames.clear();
    buttonOffers.clear();

    const auto codes = valueOr (driverTypes, name);
    const auto offers = valueOr (driverData, name);
    const auto buttons = InstallButtonRules::pairCodesWithOffers (codes, offers, osName);
    const auto bitness = getSystemBitness();
    std::vector<int> widths;

    for (const auto& code : codes)
    {
        for (const auto& offer : offers)
        {
            if (! InstallButtonRules::offerFits (offer, code, osName))
                continue;

            juce::Logger::writeToLog ("<InterfaceComponent::updateButtons> found: " + offer);

            if (InstallButtonRules::warnsAbout32BitPackage (offer, bitness))
            {
                juce::Logger::writeToLog ("InterfaceComponent.cpp > warnning: use 32bit package for 64bit OS");
                showAlert (" ", getLocalisedText ("bit_warnning"));
            }
        }

        const auto isForCode = [&code] (const auto& b)
        { return b.code == code; };

        const auto paired = std::find_if (buttons.begin(), buttons.end(), isForCode);

        if (paired == buttons.end())
            continue;

        auto* button = installButtons.add (new juce::TextButton (code));
        button->setComponentID ("installButton" + juce::String (installButtons.size() - 1));
        softwareNames.add (getProductDisplayName (code));
        buttonOffers.add (paired->offer);

        if (uiLanguage == "cn")
            button->setLookAndFeel (customLookAndFeel.get());

        button->setButtonText (InstallButtonRules::captionFor (code, region, language, tr));

        if (const auto key = InstallButtonRules::tooltipKeyFor (code); key.isNotEmpty())
            button->setTooltip (getLocalisedText (key));

        widths.push_back (button->getLookAndFeel().getTextButtonWidthToFitText (*button, ButtonRowLayout::height));
        button->setExplicitFocusOrder (KeyboardAccess::focusRank (button->getComponentID()));

        button->addListener (this);
        addAndMakeVisible (button);
    }

    const auto bounds = ButtonRowLayout::layOut (widths, getWidth() > 0 ? getWidth() : 600);

    for (size_t i = 0; i < bounds.size(); ++i)
        installButtons[(int) i]->setBounds (bounds[i]);

    // A first name that is empty counts as no device, as in updateItems.
    const auto noDevice = deviceNames.isEmpty() || deviceNames[0].isEmpty();

    if (installButtons.isEmpty() && ! noDevice)
    {
        messageLabel.setText (getLocalisedText ("no_software"), juce::dontSendNotification);
        hide (manualButton);
    }
    else if (installButtons.isEmpty())
    {
        messageLabel.setText (getLocalisedText ("no_device"), juce::dontSendNotification);
        manualButton.setBounds (language == "cn" ? juce::Rectangle<int> (320, 250, 80, 30) : juce::Rectangle<int> (470, 250, 80, 30));
        manualButton.setButtonText (getLocalisedText ("manual"));

        // Manual selection needs the device list.
        if (deviceListValid)
            show (manualButton);
        else
            hide (manualButton);
    }
    else
    {
        messageLabel.setText (getLocalisedText ("support"), juce::dontSendNotification);
        hide (manualButton);
    }

    settleFocus();
}

//==============================================================================
void InterfaceComponent::updateStatus (juce::String status)
{
    using StatusDisplay::Reaction;
    const auto& reaction = StatusDisplay::describe (status);

    if (reaction.reaction == Reaction::progress)
    {
        // The bar keeps the value just shown.
        showProgress (status);
        return;
    }

    if (! reaction.special)
        applyReaction (reaction);
    else if (reaction.reaction == Reaction::downloaded)
        showDownloaded();
    else if (reaction.reaction == Reaction::installerFailure)
        showInstallerFailure (status);
    else if (reaction.reaction == Reaction::spaceShortage)
    {
        // The request has ended already ("Download error"): this says why.
        noticeLabel.setText ("", juce::dontSendNotification);
        show (statusLabel);
        setStatusLine (StatusDisplay::spaceShortageText (status, tr));
    }
    else if (reaction.reaction == Reaction::serverError)
        showServerNotice();
    else if (reaction.reaction == Reaction::serverReconnect)
        hideServerNotice();

    progressValue = 0.0;
}

void InterfaceComponent::applyReaction (const StatusDisplay::Description& reaction)
{
    if (reaction.clearsNotice)
        noticeLabel.setText ("", juce::dontSendNotification);

    if (reaction.endsRequest)
        unlockSelection();

    if (reaction.rebuildsButtons)
        updateButtons();

    if (reaction.reenablesChosenButton)
        enableSelectedButton();

    if (reaction.endsRequest)
        endDownloadView();

    if (reaction.textKey != nullptr)
    {
        const auto text = statusLineFor (reaction);
        show (statusLabel);
        setStatusLine (text);

        if (reaction.logsText)
            juce::Logger::writeToLog (text);
    }

    if (reaction.endsRequest)
        finish();
}

juce::String InterfaceComponent::statusLineFor (const StatusDisplay::Description& reaction) const
{
    if (reaction.blankAfterCancel && cancelRequested)
        return " ";

    const auto text = getLocalisedText (reaction.textKey);

    switch (reaction.prefix)
    {
        case StatusDisplay::Prefix::chosenCaption:
            return getSelectedButtonText() + " " + text;
        case StatusDisplay::Prefix::softwareName:
            return selection.softwareName + text;
        case StatusDisplay::Prefix::none:
            break;
    }

    return text;
}

void InterfaceComponent::showProgress (const juce::String& status)
{
    const auto progress = StatusText::parseProgress (status);
    progressValue = progress.value;

    const auto notice = StatusDisplay::speedNotice (progress.bytesPerSecond, slowTicks, tr);
    noticeLabel.setText (notice, juce::dontSendNotification);

    // A tip after a language switch or a reconnect still needs its label shown.
    if (notice.isNotEmpty())
        show (noticeLabel);

    lockSelection();

    if (auto* button = getSelectedButton())
        greyOut (*button);

    hide (statusLabel);
    hide (retryButton);
    hide (logButton);
    show (progressBar);
    show (cancelButton);
}

void InterfaceComponent::showDownloaded()
{
    endDownloadView();
    juce::Logger::writeToLog ("<InterfaceComponent::updateStatus> Downloaded");

    const auto buttonText = getSelectedButtonText();
    juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> buttonText: " + buttonText + "[end]");
    DriverStoreCheck::runInBackground (currentDeviceName, buttonText, getLocalisedText ("plugin"));

    noticeLabel.setText ("", juce::dontSendNotification);
    setStatusLine (getLocalisedText ("downloaded"));
    show (statusLabel);
    show (logButton);
    isInstalling = true;
}

void InterfaceComponent::showInstallerFailure (const juce::String& status)
{
    unlockSelection();
    enableSelectedButton();
    endDownloadView();
    show (statusLabel);

    const auto text = StatusDisplay::failureText (status, tr);
    setStatusLine (text);
    juce::Logger::writeToLog ("<InterfaceComponent::updateStatus> " + text);

    retryButton.setButtonText (getLocalisedText ("retry"));
    show (retryButton);
    finish();
}

void InterfaceComponent::showServerNotice()
{
    noticeLabel.setText (getLocalisedText ("reconnect"), juce::dontSendNotification);
    noticeLabel.setBounds (getNoticeBounds());
    show (noticeLabel);
    hide (messageLabel);
    hide (manualButton);
    isInstalling = false;
}

void InterfaceComponent::hideServerNotice()
{
    hide (noticeLabel);
    show (messageLabel);
}

void InterfaceComponent::endDownloadView()
{
    hide (progressBar);
    hide (cancelButton);
}

void InterfaceComponent::enableSelectedButton()
{
    if (auto* button = getSelectedButton())
        button->setEnabled (true);
}

void InterfaceComponent::finish()
{
    // The buttons shown again answer at once: the window is the user's.
    show (logButton);
    isInstalling = false;
    progressValue = 0.0;

    // The focus goes back to the button that started the request; when it
    // stays greyed out (installed), to the first install button that is
    // not, or the device box. A question box that has the focus now gives
    // it there when it goes.
    const auto canTakeFocus = [] (juce::Component* c)
    { return c != nullptr && c->isShowing() && c->isEnabled(); };

    juce::Component* target = getSelectedButton();

    for (auto* button : installButtons)
        if (! canTakeFocus (target))
            target = button;

    if (! canTakeFocus (target))
        target = &deviceCombo;

    if (canTakeFocus (target))
    {
        lastFocusedControl = target;
        target->grabKeyboardFocus();
    }
}

void InterfaceComponent::lockSelection()
{
    // Refused in their handlers rather than disabled: a disabled control
    // would look different, and could not be reached to hear what it is.
    selectionLocked = true;
    deviceCombo.locked = true;
    languageButton.setInterceptsMouseClicks (false, false);
    deviceCombo.setInterceptsMouseClicks (false, false);
}

void InterfaceComponent::unlockSelection()
{
    selectionLocked = false;
    deviceCombo.locked = false;
    languageButton.setInterceptsMouseClicks (true, true);
    deviceCombo.setInterceptsMouseClicks (true, true);
}

void InterfaceComponent::hide (juce::Component& component)
{
    // Invisible too: a component that animates while visible (the progress
    // bar repaints itself on a 30 ms timer) stops only then.
    component.setVisible (false);

    if (component.getParentComponent() != nullptr)
        removeChildComponent (&component);
}

void InterfaceComponent::show (juce::Component& component)
{
    addAndMakeVisible (component);
}

void InterfaceComponent::TooltipsOnHover::mouseEnter (const juce::MouseEvent& e)
{
    auto* client = dynamic_cast<juce::TooltipClient*> (e.eventComponent);

    if (client == nullptr || client->getTooltip().isEmpty())
        return;

    cancelPendingUpdate();

    if (window == nullptr)
        window = std::make_unique<juce::TooltipWindow> (nullptr, 200);
}

void InterfaceComponent::TooltipsOnHover::mouseExit (const juce::MouseEvent&)
{
    triggerAsyncUpdate();
}

void InterfaceComponent::TooltipsOnHover::mouseDown (const juce::MouseEvent&)
{
    triggerAsyncUpdate();
}

void InterfaceComponent::TooltipsOnHover::handleAsyncUpdate()
{
    window.reset();
}

juce::TextButton* InterfaceComponent::getSelectedButton() const
{
    return installButtons[selectedIndex];
}

juce::String InterfaceComponent::getSelectedButtonText() const
{
    if (auto* button = getSelectedButton())
        return button->getButtonText();

    return {};
}

void InterfaceComponent::setWindowTitle (const juce::String& title)
{
    if (auto* peer = getTopLevelComponent()->getPeer())
        peer->setTitle (title);
}

void InterfaceComponent::setLanguagePicture()
{
    languageButton.setTitle (KeyboardAccess::languageButtonTitle (tr));
    languagePicture = languagePictureFor (language);
    languageButton.setImages (false, true, true, languagePicture, 1.0f, juce::Colours::transparentBlack, languagePicture, 1.0f, juce::Colours::transparentBlack, languagePicture, 1.0f, juce::Colours::transparentBlack, 0.0f);
}

//==============================================================================
void InterfaceComponent::buttonClicked (juce::Button* button)
{
    // These three answer whatever the state.
    if (button == &cancelButton)
    {
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> click button: quit download");
        cancelRequested = true;
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> cancel: " + selection.url);
        askToDownloadInBrowser();
        return;
    }

    if (button == &guideButton)
    {
        openSetupGuide();
        return;
    }

    if (button == &logButton)
    {
        copyLogFile();
        return;
    }

    if (button == &languageButton && selectionLocked)
    {
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> the language cannot change while a request runs");
        return;
    }

    if (isInstalling)
        return;

    if (button == &languageButton)
        switchLanguage();
    else if (button == &manualButton)
        enterManualMode();
    else if (button == &quitManualButton)
        quitManualMode();
    else if (button == &retryButton)
        retryInstaller();
    else if (const auto index = installButtons.indexOf (dynamic_cast<juce::TextButton*> (button)); index >= 0)
        requestInstall (index);
}

void InterfaceComponent::askToDownloadInBrowser()
{
    const auto url = selection.url;
    const juce::Component::SafePointer<InterfaceComponent> safeThis (this);

    const auto onAnswer = [url] (int result)
    {
        if (result == 1)
            juce::URL (url).launchInDefaultBrowser();
    };

    const auto ask = [safeThis, onAnswer]
    {
        if (safeThis == nullptr)
            return;

        juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::QuestionIcon,
                                            " ",
                                            safeThis->getLocalisedText ("query_download"),
                                            safeThis->getLocalisedText ("yes"),
                                            safeThis->getLocalisedText ("no"),
                                            safeThis.getComponent(),
                                            juce::ModalCallbackFunction::create (onAnswer));
    };

    const auto postQuestion = [ask]
    { juce::MessageManager::callAsync (ask); };

    // The question is posted from a short-lived thread, so the click
    // returns at once; without a thread it is posted from here.
    if (! runOnDetachedThread (postQuestion))
        postQuestion();
}

void InterfaceComponent::openSetupGuide()
{
    juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> click button: help");

    const juce::URL guide (videoGuideUrl);

    if (guide.isWellFormed() && guide.launchInDefaultBrowser())
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> vedio link open in default browser successful");
}

void InterfaceComponent::copyLogFile()
{
    juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> click button: log");

    const auto file = RunLog::getLogFile();

    if (! file.existsAsFile())
        return;

    juce::SystemClipboard::copyTextToClipboard (RunLogExcerpt::lastRuns (file.loadFileAsString()));
    showAlert (" ", getLocalisedText ("copied"));
}

void InterfaceComponent::switchLanguage()
{
    hide (statusLabel);
    hide (noticeLabel);
    juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> clicked switch language button\n");

    language = LocalisedStrings::nextLanguage (language);
    uiLanguage = language;
    setLanguagePicture();

    resized();
    updateButtons();
}

void InterfaceComponent::enterManualMode()
{
    juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> click button: manual");

    if (! deviceListValid)
    {
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> XML invalid, unable to enter manual selection mode.");
        showAlert (" ", getLocalisedText ("manual_failed"));
        return;
    }

    showAlert (" ", getLocalisedText ("wait"));
    noticeLabel.setText (getLocalisedText ("wait"), juce::dontSendNotification);
    show (noticeLabel);

    setWindowTitle (appWindowTitle + manualModeTitleSuffix);
    hide (manualButton);
    manualModeActive = true;

    // With a device name left from an earlier install request the receiver
    // would take this for that install request again.
    selection.deviceName = {};
    sendChangeMessage();
}

void InterfaceComponent::showNothingOffered()
{
    noticeLabel.setText ("", juce::dontSendNotification);
    hide (noticeLabel);
    messageLabel.setText (getLocalisedText ("no_software"), juce::dontSendNotification);
    show (messageLabel);
    show (quitManualButton);
}

void InterfaceComponent::quitManualMode()
{
    juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> click button: quit manual");
    setWindowTitle (appWindowTitle);
    hide (quitManualButton);
    manualModeActive = false;
    updateItems();
}

void InterfaceComponent::retryInstaller()
{
    hide (retryButton);
    juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> click button: retry");

    // A request like an install: nothing else starts until its status ends it.
    const auto request = beginRequest();
    isInstalling = true;
    lockSelection();
    setStatusLine (getLocalisedText ("downloaded"));
    show (statusLabel);

    const juce::Component::SafePointer<InterfaceComponent> safeThis (this);

    const auto showOutcome = [safeThis, request] (const juce::String& status)
    {
        if (safeThis == nullptr)
            return;

        if (! safeThis->isCurrentRequest (request))
        {
            juce::Logger::writeToLog ("<InterfaceComponent::retryInstaller> A newer request runs, the retry's status is dropped: " + status);
            return;
        }

        safeThis->updateStatus (status);
    };

    InstallerRetry::retryLastInstaller (selection, showOutcome, retryEndWaitMs);
}

void InterfaceComponent::openPluginPage()
{
    if (pluginWebUrl.isEmpty())
    {
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> pluginWebUrl is empty");
        return;
    }

    const juce::URL page (pluginWebUrl);

    if (! page.isWellFormed())
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> pluginUrl is not well-formed");
    else if (page.launchInDefaultBrowser())
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> User Center open in default browser successful");
    else
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> User Center open in default browser failed");
}

void InterfaceComponent::requestInstall (int index)
{
    auto* button = installButtons[index];
    const auto caption = button->getButtonText();
    if (InstallButtonRules::isPluginCaption (caption, tr) && region == "en")
    {
        openPluginPage();
        return;
    }

    installStarted = true;
    beginRequest();
    juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> click button:" + caption);
    updateStatus (StatusText::checkDriver);
    lockSelection();
    greyOut (*button);
    selectedIndex = index;

    selection.deviceName = currentDeviceName;
    selection.softwareName = softwareNames[index];
    selection.region = region;
    selection.language = language;

    const auto offer = buttonOffers[index];
    const auto flags = InstallButtonRules::flagsFor (offer, region);
    selection.url = InstallButtonRules::downloadAddressOf (offer);
    selection.isEnTesselMax = flags.enTesselMax;

    isOldKeyWeave = flags.oldKeyWeave;

    if (flags.oldKeyWeave)
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> this is an old keyweave!");

    isNotQt = flags.notQt;

    if (flags.notQt)
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> this is an new tesselmax package, not qt!");

    noDriverIncluded = flags.noDriverIncluded;
    isEnQx3 = flags.enQx3;

    if (flags.enQx3)
        juce::Logger::writeToLog ("<InterfaceComponent::buttonClicked> this is an EN QX4, need to download driver online");

    cancelRequested = false;

    if (InstallButtonRules::advisesRestart (offer))
        showAlert (" ", getLocalisedText ("reboot_tip"));

    sendChangeMessage();
}
