#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "support/LoopbackNginx.h"
#include "ui/InterfaceTestWindow.h"
#include "ui/MyAlertWindow.h"

#include <cstdlib>

/* The interface on the X display in each of its states, as a user sees it:
   the window title as X reports it, the colours on screen, and a screenshot
   of every state, kept in STRATOSET_SCREENSHOT_DIR when that is set
   (scripts/ui-screenshots.sh). */

namespace
{
juce::String run (const juce::StringArray& command)
{
    juce::ChildProcess process;

    if (! process.start (command))
        return {};

    const auto output = process.readAllProcessOutput();
    process.waitForProcessToFinish (10000);
    return output.trim();
}

class Screen
{
public:
    explicit Screen (InterfaceTestWindow& windowToUse) : t (windowToUse)
    {
        if (const auto* dir = std::getenv ("STRATOSET_SCREENSHOT_DIR"))
            folder = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (dir));
        else
            folder = scratch.getFolder();

        folder.createDirectory();
    }

    juce::String windowId() const
    {
        return juce::String ((juce::pointer_sized_uint) t.window.getPeer()->getNativeHandle());
    }

    /** The title of the window as X has it. */
    juce::String title() const { return run ({ "xdotool", "getwindowname", windowId() }); }

    /** Paints what is pending and saves the window (or, for a tooltip, the
        screen around it) as <name>.png.
    */
    juce::Image capture (const juce::String& name, bool wholeScreen = false) const
    {
        t.window.getPeer()->performAnyPendingRepaintsNow();
        t.settle (300);

        const auto file = folder.getChildFile (name + ".png");
        file.deleteFile();

        if (wholeScreen)
            run ({ "import", "-window", "root", file.getFullPathName() });
        else
            run ({ "import", "-window", windowId(), file.getFullPathName() });

        return juce::ImageFileFormat::loadFrom (file);
    }

private:
    InterfaceTestWindow& t;
    TemporaryFolder scratch;
    juce::File folder;
};

juce::uint32 argb (const juce::Image& image, int x, int y) { return image.getPixelAt (x, y).getARGB(); }

void dismissAlerts (juce::Component& window)
{
    for (int i = window.getNumChildComponents(); --i >= 0;)
        if (auto* alert = dynamic_cast<MyAlertWindow*> (window.getChildComponent (i)))
            alert->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
}

juce::Component* findShownTooltip()
{
    auto& desktop = juce::Desktop::getInstance();

    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* tip = dynamic_cast<juce::TooltipWindow*> (desktop.getComponent (i)); tip != nullptr && tip->isVisible())
            return tip;

    return nullptr;
}
} // namespace

TEST (InterfaceOnScreen, EveryStateAsTheUserSeesIt)
{
    TemporaryFolder site;
    {
        // A device picture in the maker's style: a grey box with two knobs.
        juce::Image picture (juce::Image::RGB, 400, 260, true);
        juce::Graphics g (picture);
        g.fillAll (juce::Colour (0xFFEEEEEE));
        g.setColour (juce::Colour (0xFF3A3C42));
        g.fillRoundedRectangle (20.0f, 60.0f, 360.0f, 140.0f, 12.0f);
        g.setColour (juce::Colour (0xFF1ED7FF));
        g.fillEllipse (70.0f, 95.0f, 70.0f, 70.0f);
        g.fillEllipse (260.0f, 95.0f, 70.0f, 70.0f);
        (site / "pictures").createDirectory();
        juce::FileOutputStream out (site / "pictures/qx4.png");
        juce::PNGImageFormat().writeImageToStream (picture, out);
    }

    LoopbackNginx server (site.getFolder());
    ASSERT_TRUE (server.isRunning());

    InterfaceTestWindow t;
    Screen screen (t);
    appWindowTitle = "Stratoset 1.1.17 ";
    deviceListValid = true;

    // No device: the message line and the Manual button.
    t.setDevices ({}, {}, {});
    EXPECT_EQ (screen.title(), "Stratoset 1.1.17");
    screen.capture ("1-start-no-device");

    // A device with two install buttons and its picture.
    const std::unordered_map<juce::String, juce::StringArray> types { { "QX4", { "tesselmax_notqt+dri", "qx4" } } };
    const std::unordered_map<juce::String, juce::StringArray> offers {
        { "QX4", { "<QX4,tesselmax_notqt+driwin10/win11cn64bit>https://h/TesselMax.zip", "<QX4,qx4win10/win11cn/en64bit>https://h/HubDriver.zip" } }
    };
    t.setDevices ({ "QX4" }, types, offers, { { "QX4", server.urlFor ("pictures/qx4.png") } });
    ASSERT_TRUE (t.isShown ("installButton1"));
    const auto device = screen.capture ("2-device-two-buttons");
    EXPECT_EQ (argb (device, 300, 200), 0xFFFFFFFFu) << "the white page";
    EXPECT_EQ (argb (device, 310 + 140, 60 + 70), 0xFF3A3C42u) << "the picture in its box";

    // Resting the mouse on a product button brings its tooltip with the screenshot.
    const auto button = t.find ("installButton0")->getScreenBounds().getCentre();
    run ({ "xdotool", "mousemove", juce::String (button.x), juce::String (button.y) });
    ASSERT_TRUE (runMessageLoopUntil ([]
                                      { return findShownTooltip() != nullptr; },
                                      20000));
    auto* tip = findShownTooltip();
    EXPECT_EQ (tip->getWidth(), 550);
    EXPECT_EQ (tip->getHeight(), 380);
    screen.capture ("3-tooltip-tessel-max", true);
    run ({ "xdotool", "mousemove", "5", "5" });
    ASSERT_TRUE (runMessageLoopUntil ([]
                                      { return findShownTooltip() == nullptr; },
                                      20000));
    dismissAlerts (t.window);

    // Downloading: the progress bar in the program's colours and Cancel.
    t.click ("installButton1");

    for (int report = 0; report < 7; ++report)
        t.ui->updateStatus ("37.500000% 300000");

    ASSERT_TRUE (t.isShown ("cancelButton"));
    t.settle (500); // the bar moves towards its value
    const auto downloading = screen.capture ("4-downloading");
    EXPECT_EQ (argb (downloading, 30, 352), CustomLookAndFeel::progressFillColour);
    EXPECT_EQ (argb (downloading, 560, 352), CustomLookAndFeel::progressTrackColour);

    // The installer failed: its text and Retry.
    t.ui->updateStatus ("Unfortunately the installation failed (7)");
    ASSERT_TRUE (t.isShown ("retryButton"));
    screen.capture ("5-installer-failure-retry");

    // English.
    t.click ("languageButton");
    t.ui->updateStatus ("Check driver");
    screen.capture ("6-english");
    t.click ("languageButton");

    // Manual mode: the title says so.
    t.setDevices ({}, {}, {});
    t.click ("manualButton");
    EXPECT_EQ (screen.title(), "Stratoset 1.1.17 [Manual mode]");
    screen.capture ("7-manual-mode-wait");
    dismissAlerts (t.window);

    t.setDevices ({ "QX4", "Arc 2" }, types, offers, { { "QX4", server.urlFor ("pictures/qx4.png") } });
    EXPECT_EQ (screen.title(), "Stratoset 1.1.17 [Manual mode]");
    ASSERT_TRUE (t.isShown ("quitManualButton"));
    t.find<juce::ComboBox> ("deviceCombo")->setSelectedId (2, juce::sendNotificationSync);
    screen.capture ("8-manual-mode");

    t.click ("quitManualButton");
    EXPECT_EQ (screen.title(), "Stratoset 1.1.17");
}

namespace
{
juce::String focusedId()
{
    auto* focused = juce::Component::getCurrentlyFocusedComponent();

    if (focused == nullptr)
        return "<none>";

    return focused->getComponentID().isNotEmpty() ? focused->getComponentID() : "<" + focused->getName() + ">";
}

void press (InterfaceTestWindow& t, const juce::KeyPress& key)
{
    t.window.getPeer()->handleKeyPress (key);
    t.settle (50);
}

/** Every visible control a user can operate, with what a screen reader
    says of it; fails for one without a title or, a button, without a
    press action.
*/
void expectEveryControlNamed (juce::AccessibilityHandler& handler, juce::StringArray& named)
{
    for (auto* child : handler.getChildren())
    {
        const auto role = child->getRole();
        const auto& component = child->getComponent();
        const auto interactive = role == juce::AccessibilityRole::button || role == juce::AccessibilityRole::comboBox
                                 || role == juce::AccessibilityRole::image || role == juce::AccessibilityRole::progressBar;

        if (interactive && component.isShowing())
        {
            EXPECT_TRUE (child->getTitle().isNotEmpty()) << component.getComponentID() << " has no title";

            if (role == juce::AccessibilityRole::button)
            {
                EXPECT_TRUE (child->getActions().contains (juce::AccessibilityActionType::press)) << component.getComponentID();
            }

            named.add (component.getComponentID() + ": " + child->getTitle());
        }

        expectEveryControlNamed (*child, named);
    }
}
} // namespace

TEST (InterfaceOnScreen, TheKeyboardAndAScreenReaderReachEveryControlAndTheLockHolds)
{
    InterfaceTestWindow t;
    Screen screen (t);
    deviceListValid = true;

    const std::unordered_map<juce::String, juce::StringArray> qx4Types { { "QX4", { "tesselmax_notqt+dri", "qx4", "plugin" } } };
    const std::unordered_map<juce::String, juce::StringArray> qx4Offers { { "QX4", { "<QX4,tesselmax_notqt+driwin10/win11cn64bit>https://h/tm.zip", "<QX4,qx4win10/win11cn/en64bit>https://h/hd.zip", "<QX4,pluginwin10cn/en64bit>https://h/pl.zip" } } };
    // A second device, so that the arrows could change the device box.
    t.setDevices ({ "QX4", "Zeta" }, qx4Types, qx4Offers);
    ASSERT_EQ (t.find<juce::ComboBox> ("deviceCombo")->getText(), "QX4");
    ASSERT_TRUE (t.isShown ("installButton2"));

    // The first install button has the focus from the start; Tab goes
    // round in the order of the screen, shift-Tab back.
    EXPECT_EQ (focusedId(), "installButton0");
    juce::StringArray visited;

    for (int i = 0; i < 6; ++i)
    {
        press (t, juce::KeyPress (juce::KeyPress::tabKey));
        visited.add (focusedId());
    }

    EXPECT_EQ (visited.joinIntoString (" "), "installButton1 installButton2 languageButton logButton deviceCombo installButton0");
    press (t, juce::KeyPress (juce::KeyPress::tabKey, juce::ModifierKeys::shiftModifier, 0));
    EXPECT_EQ (focusedId(), "deviceCombo");
    screen.capture ("9-keyboard-focus-outline");

    // What a screen reader finds.
    juce::StringArray named;
    expectEveryControlNamed (*t.window.getAccessibilityHandler(), named);
    EXPECT_TRUE (named.contains ("languageButton: " + t.ui->getLocalisedText ("switch_language"))) << named.joinIntoString ("\n");
    EXPECT_TRUE (named.contains ("installButton0: " + t.find<juce::Button> ("installButton0")->getButtonText()));

    // An install request locks the language and the device box against
    // every way in: keys, their menus, a screen reader's actions.
    press (t, juce::KeyPress (juce::KeyPress::tabKey));
    press (t, juce::KeyPress (juce::KeyPress::returnKey));
    ASSERT_EQ (t.ui->getSelection().url, "https://h/tm.zip");
    t.ui->updateStatus ("10.000000% 300000");
    ASSERT_TRUE (t.isShown ("cancelButton"));

    const auto language = t.ui->getLanguage();
    auto* box = t.find<juce::ComboBox> ("deviceCombo");
    auto* languageButton = t.find<juce::Button> ("languageButton");

    box->grabKeyboardFocus();
    for (const auto key : { juce::KeyPress::downKey, juce::KeyPress::upKey, juce::KeyPress::returnKey, juce::KeyPress::spaceKey })
        press (t, juce::KeyPress (key));
    box->getAccessibilityHandler()->getActions().invoke (juce::AccessibilityActionType::press);
    box->getAccessibilityHandler()->getActions().invoke (juce::AccessibilityActionType::showMenu);
    t.settle (200);
    EXPECT_EQ (box->getText(), "QX4");
    EXPECT_FALSE (box->isPopupActive());

    languageButton->grabKeyboardFocus();
    press (t, juce::KeyPress (juce::KeyPress::returnKey));
    languageButton->getAccessibilityHandler()->getActions().invoke (juce::AccessibilityActionType::press);
    t.settle (200);
    EXPECT_EQ (t.ui->getLanguage(), language);

    // Escape asks the Cancel question; the request's end gives the focus
    // back to the button that started it, or, when that one stays greyed
    // out as an installed package's does, to the next.
    LogCapture log;
    press (t, juce::KeyPress (juce::KeyPress::escapeKey));
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> click button: quit download"));
    t.settle (300);
    juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
    t.ui->updateStatus ("Download error");
    t.settle (200);
    EXPECT_EQ (focusedId(), "installButton0");

    press (t, juce::KeyPress (juce::KeyPress::returnKey));
    t.ui->updateStatus ("Installed");
    t.settle (200);
    EXPECT_EQ (focusedId(), "installButton1");

    // Six packages wrap onto two rows inside the window, in both languages.
    dismissAlerts (t.window);
    run ({ "xdotool", "mousemove", "5", "5" });
    const std::unordered_map<juce::String, juce::StringArray> novaTypes { { "Nova", { "tesselmax_notqt+dri", "qx4", "plugin", "keyweave", "vortexdeck", "tessel" } } };
    juce::StringArray novaOffers;

    for (const auto* code : { "tesselmax_notqt+dri", "qx4", "plugin", "keyweave", "vortexdeck", "tessel" })
        novaOffers.add ("<Nova," + juce::String (code) + "win10/win11cn/en64bit>https://h/" + juce::String (code).retainCharacters ("abcdefghijklmnopqrstuvwxyz") + ".zip");

    t.setDevices ({ "Nova" }, novaTypes, { { "Nova", novaOffers } });

    for (const auto* shot : { "10-six-packages-cn", "11-six-packages-en" })
    {
        ASSERT_TRUE (t.isShown ("installButton5"));

        for (int i = 0; i < 6; ++i)
        {
            const auto bounds = t.find ("installButton" + juce::String (i))->getBounds();
            EXPECT_TRUE (t.ui->getLocalBounds().contains (bounds)) << shot << " button " << i;
            EXPECT_FALSE (bounds.intersects (t.find ("logButton")->getBounds())) << shot << " button " << i;
        }

        screen.capture (shot);
        t.click ("languageButton");
    }
}
