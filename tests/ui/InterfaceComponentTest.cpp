#include <gtest/gtest.h>

#include "base/RunLog.h"
#include "download/PictureCache.h"
#include "support/FakeInstaller.h"
#include "support/FakeWindowAutomation.h"
#include "support/LogCapture.h"
#include "support/LoopbackNginx.h"
#include "support/SimulatedHostFolder.h"
#include "ui/InterfaceTestWindow.h"
#include "ui/MyAlertWindow.h"

namespace
{
const juce::String maxOffer = "<QX4,tesselmax_notqt+driwin10/win11cn64bit>https://h/tesselmax/Tessel Max 2.1+fix.zip";
const juce::String hubOffer = "<QX4,qx4win7/win10/win11cn/en64bit>https://h/qx4/HubDriver_4.2_x64.zip";
const juce::String pluginOffer = "<QX4,pluginwin7/win10/win11cn/en64bit>https://h/plugin/ShortcutPlugin.exe";

/** A device with three packages for Windows 10 (named first in sorted
    order), one with a package for Windows 7 only and one without packages.
*/
void handOverThreeDevices (InterfaceTestWindow& t, const juce::String& name = "A", const juce::String& win7Only = "b", const juce::String& none = "c")
{
    t.setDevices ({ win7Only, name, none },
                  { { name, { "tesselmax_notqt+dri", "qx4", "plugin" } }, { win7Only, { "dri" } } },
                  { { name, { maxOffer, hubOffer, pluginOffer } }, { win7Only, { "<" + win7Only + ",driwin7cn64bit>https://h/b.zip" } } });
}

/** The same for QX4, with the other two sorted after it. */
void handOverQx4 (InterfaceTestWindow& t)
{
    handOverThreeDevices (t, "QX4", "r", "s");
}

juce::String cn (const char* text) { return juce::String::fromUTF8 (text); }

int countAlerts (const juce::Component& window)
{
    int n = 0;

    for (auto* child : window.getChildren())
        n += dynamic_cast<MyAlertWindow*> (child) != nullptr ? 1 : 0;

    return n;
}

/** An xdg-open first on the PATH, noting what the program asks the browser to open. */
struct FakeBrowser
{
    FakeBrowser()
    {
        bin.write ("xdg-open", "#!/bin/sh\necho \"$1\" >> \"" + (bin / "opened.txt").getFullPathName() + "\"\n").setExecutePermission (true);
        setenv ("PATH", (bin.getFolder().getFullPathName() + ":" + path).toRawUTF8(), 1);
    }

    ~FakeBrowser() { setenv ("PATH", path.toRawUTF8(), 1); }

    juce::String opened() const { return (bin / "opened.txt").loadFileAsString().trim(); }

    TemporaryFolder bin;
    const juce::String path = juce::SystemStats::getEnvironmentVariable ("PATH", {});
};

struct ChangeCounter : juce::ChangeListener
{
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};
} // namespace

TEST (InterfaceComponent, StartStateOffersManualSelectionOnlyWithAValidList)
{
    InterfaceTestWindow t;

    EXPECT_EQ (t.find ("languageButton")->getBounds(), juce::Rectangle<int> (560, 0, 40, 30));
    EXPECT_EQ (t.find ("productLabel")->getBounds(), juce::Rectangle<int> (30, 60, 80, 30));
    EXPECT_EQ (t.find ("deviceCombo")->getBounds(), juce::Rectangle<int> (110, 60, 200, 30));
    EXPECT_EQ (t.find ("messageLabel")->getBounds(), juce::Rectangle<int> (30, 250, 540, 30));
    EXPECT_EQ (t.find ("logButton")->getBounds(), juce::Rectangle<int> (510, 360, 80, 30));
    EXPECT_EQ (t.textOf ("productLabel"), cn ("产品型号："));
    EXPECT_EQ (t.find<juce::Label> ("productLabel")->getFont().getHeight(), 19.0f);
    EXPECT_FALSE (t.isShown ("guideButton")) << "only in English at start";
    EXPECT_FALSE (t.isShown ("statusLabel"));
    EXPECT_FALSE (t.isShown ("progressBar"));

    t.setDevices ({}, {}, {});
    EXPECT_EQ (t.textOf ("messageLabel"), cn ("未检测到设备，请检查声卡与电脑的连接"));
    EXPECT_FALSE (t.isShown ("manualButton"));
    EXPECT_EQ (t.find<juce::Button> ("logButton")->getButtonText(), cn ("复制日志"));

    deviceListValid = true;
    t.setDevices ({ "" }, {}, {});
    ASSERT_TRUE (t.isShown ("manualButton"));
    EXPECT_EQ (t.find ("manualButton")->getBounds(), juce::Rectangle<int> (320, 250, 80, 30));
    EXPECT_EQ (t.find<juce::Button> ("manualButton")->getButtonText(), cn ("手动选择"));

    // The language button switches captions, the Manual place and the picture, and back.
    const auto pictureWidth = [&]
    { return t.find<juce::ImageButton> ("languageButton")->getNormalImage().getWidth(); };
    EXPECT_EQ (pictureWidth(), 209);

    t.click ("languageButton");
    EXPECT_EQ (uiLanguage, "en");
    EXPECT_EQ (pictureWidth(), 200);
    EXPECT_EQ (t.textOf ("productLabel"), "Product:");
    EXPECT_EQ (t.textOf ("messageLabel"), "No device detected. Check sound card - computer connection");
    EXPECT_EQ (t.find ("manualButton")->getBounds(), juce::Rectangle<int> (470, 250, 80, 30));
    EXPECT_EQ (t.find<juce::Button> ("manualButton")->getButtonText(), "Manual");
    EXPECT_FALSE (t.isShown ("guideButton")) << "the region, not the language, decides";

    t.click ("languageButton");
    EXPECT_EQ (t.ui->getLanguage(), "cn");
    EXPECT_EQ (uiLanguage, "cn");
    EXPECT_EQ (pictureWidth(), 209);
    EXPECT_EQ (t.textOf ("productLabel"), cn ("产品型号："));
}

TEST (InterfaceComponent, EnglishRegionPlacesGuideAndQuitManualSideBySide)
{
    getSharedSettings().region = "en";
    InterfaceTestWindow t;
    uiLanguage = "en";

    ASSERT_TRUE (t.isShown ("guideButton"));
    EXPECT_EQ (t.find ("guideButton")->getBounds(), juce::Rectangle<int> (495, 5, 60, 24));
    EXPECT_EQ (t.find<juce::Button> ("guideButton")->getButtonText(), "Setup Guide");

    manualModeActive = true;
    t.setDevices ({ "A" }, {}, {});
    ASSERT_TRUE (t.isShown ("quitManualButton"));
    EXPECT_EQ (t.find ("quitManualButton")->getBounds(), juce::Rectangle<int> (425, 5, 60, 24));
    EXPECT_EQ (t.find<juce::Button> ("quitManualButton")->getButtonText(), "Quit Manual");
}

TEST (InterfaceComponent, DeviceBoxIsSortedAndTheFirstDeviceGetsItsButtons)
{
    InterfaceTestWindow t;
    handOverThreeDevices (t);

    auto* combo = t.find<juce::ComboBox> ("deviceCombo");
    ASSERT_EQ (combo->getNumItems(), 3);
    EXPECT_EQ (combo->getItemText (0), "A");
    EXPECT_EQ (combo->getItemText (1), "b");
    EXPECT_EQ (combo->getItemText (2), "c");
    EXPECT_EQ (combo->getItemId (0), 1);
    EXPECT_EQ (combo->getItemId (2), 3);
    EXPECT_EQ (combo->getText(), "A");

    auto* first = t.find<juce::TextButton> ("installButton0");
    auto* second = t.find<juce::TextButton> ("installButton1");
    auto* third = t.find<juce::TextButton> ("installButton2");
    ASSERT_TRUE (first != nullptr && second != nullptr && third != nullptr);

    EXPECT_EQ (first->getButtonText(), cn ("Tessel Max + 驱动"));
    EXPECT_EQ (second->getButtonText(), "HubDriver");
    EXPECT_EQ (third->getButtonText(), cn ("触控插件"));
    EXPECT_EQ (first->getTooltip(), t.ui->getLocalisedText ("tool_tip_tesselmax"));
    EXPECT_EQ (second->getTooltip(), t.ui->getLocalisedText ("tool_tip_tesselmini"));

    EXPECT_EQ (first->getX(), 40);
    EXPECT_EQ (second->getX(), 40 + first->getWidth() + 20);
    EXPECT_EQ (third->getX(), second->getRight() + 20);

    for (auto* button : { first, second, third })
    {
        EXPECT_EQ (button->getY(), 290);
        EXPECT_EQ (button->getHeight(), 30);
        EXPECT_EQ (button->getWidth(), button->getLookAndFeel().getTextButtonWidthToFitText (*button, 30));
    }

    EXPECT_EQ (t.textOf ("messageLabel"), cn ("点击下方按钮安装最新软件"));
    EXPECT_FALSE (t.isShown ("manualButton"));

    // "b" has a package for Windows 7 only.
    combo->setSelectedId (2, juce::sendNotificationSync);
    EXPECT_FALSE (t.isShown ("installButton0"));
    EXPECT_EQ (t.textOf ("messageLabel"), cn ("未找到兼容的软件。"));

    // In English the driver word follows, and the same device keeps its tooltips.
    combo->setSelectedId (1, juce::sendNotificationSync);
    t.click ("languageButton");
    EXPECT_EQ (t.find<juce::Button> ("installButton0")->getButtonText(), "Tessel Max + Driver");
    EXPECT_EQ (t.find<juce::Button> ("installButton1")->getButtonText(), "HubDriver");
    EXPECT_EQ (t.find<juce::Button> ("installButton2")->getButtonText(), "Plugin");
    EXPECT_EQ (t.find<juce::Button> ("installButton0")->getTooltip(), "Tessel Max:Powerful Virtual Mixer, Plugin Host and Control Panel for advanced users");
}

TEST (InterfaceComponent, SharedEntryListsTheAttachedDeviceAndManualModeListsAll)
{
    InterfaceTestWindow t;
    t.plug ("nova", "1A2A", "Nova USB Audio");

    const juce::String shared = "Nova / Nova Mini";
    const std::unordered_map<juce::String, juce::StringArray> types { { shared, { "tessellite+dri", "tessel" } } };
    const std::unordered_map<juce::String, juce::StringArray> offers {
        { shared, { "<Nova,tessellite+driwin7/win10/win11cn/en64bit>https://h/nova/TesselLite.zip", "<Nova Mini,tesselwin7/win10/win11cn/en64bit>https://h/novamini/Tessel.zip" } }
    };

    t.setDevices ({ shared }, types, offers);
    auto* combo = t.find<juce::ComboBox> ("deviceCombo");
    ASSERT_EQ (combo->getNumItems(), 1);
    EXPECT_EQ (combo->getItemText (0), "Nova");
    ASSERT_TRUE (t.isShown ("installButton0"));
    EXPECT_EQ (t.find<juce::Button> ("installButton0")->getButtonText(), "Tessel Lite") << "a shared entry's devices get base codes";
    EXPECT_FALSE (t.isShown ("installButton1")) << "Nova Mini's package is not Nova's";
    EXPECT_FALSE (t.isShown ("quitManualButton"));

    manualModeActive = true;
    t.setDevices ({ shared }, types, offers);
    ASSERT_EQ (combo->getNumItems(), 2);
    EXPECT_EQ (combo->getItemText (0), "Nova Mini");
    EXPECT_EQ (combo->getItemText (1), "Nova");
    ASSERT_TRUE (t.isShown ("quitManualButton"));
    EXPECT_EQ (t.find ("quitManualButton")->getBounds(), juce::Rectangle<int> (495, 5, 60, 24));
    EXPECT_EQ (t.find<juce::Button> ("installButton0")->getButtonText(), "Tessel");

    // Leaving manual mode rebuilds the box from the catalogue held, checked again.
    t.click ("quitManualButton");
    EXPECT_FALSE (manualModeActive);
    EXPECT_FALSE (t.isShown ("quitManualButton"));
    t.settle();
    EXPECT_EQ (combo->getNumItems(), 1);
}

TEST (InterfaceComponent, InstallButtonFillsTheRequestAndSendsIt)
{
    InterfaceTestWindow t;
    handOverQx4 (t);
    ChangeCounter listener;
    t.ui->addChangeListener (&listener);

    LogCapture log;
    t.click ("installButton0");

    const auto& selection = t.ui->getSelection();
    EXPECT_EQ (selection.deviceName, "QX4");
    EXPECT_EQ (selection.softwareName, "Tessel Max");
    EXPECT_EQ (selection.region, "cn");
    EXPECT_EQ (selection.language, "cn");
    EXPECT_EQ (selection.url, "https://h/tesselmax/Tessel%20Max%202.1%2Bfix.zip");
    EXPECT_FALSE (selection.isEnTesselMax);
    EXPECT_TRUE (isNotQt);
    EXPECT_FALSE (noDriverIncluded);
    EXPECT_FALSE (isOldKeyWeave);
    EXPECT_FALSE (isEnQx3);
    EXPECT_EQ (listener.count, 1);

    EXPECT_TRUE (log.contains (cn ("<InterfaceComponent::buttonClicked> click button:Tessel Max + 驱动")));
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> this is an new tesselmax package, not qt!"));
    EXPECT_EQ (t.textOf ("statusLabel"), t.ui->getLocalisedText ("check_driver"));

    auto* clicked = t.find<juce::TextButton> ("installButton0");
    EXPECT_FALSE (clicked->isEnabled());
    EXPECT_EQ (clicked->findColour (juce::TextButton::buttonColourId), juce::Colour (0xFFD3D3D3));
    EXPECT_EQ (clicked->findColour (juce::TextButton::textColourOnId), juce::Colour (0xFF000000));
    EXPECT_TRUE (t.find<juce::Button> ("installButton1")->isEnabled());

    bool childClicks = true, ownClicks = true;
    t.find ("deviceCombo")->getInterceptsMouseClicks (ownClicks, childClicks);
    EXPECT_FALSE (ownClicks);
    t.find ("languageButton")->getInterceptsMouseClicks (ownClicks, childClicks);
    EXPECT_FALSE (ownClicks);

    // A Tessel-family package advises a restart after its first installation.
    EXPECT_EQ (countAlerts (t.window), 1);

    // In region "cn" the plug-in button is an install request like any other.
    t.click ("installButton2");
    EXPECT_EQ (listener.count, 2);
    EXPECT_EQ (t.ui->getSelection().url, "https://h/plugin/ShortcutPlugin.exe");
    EXPECT_TRUE (noDriverIncluded);
    EXPECT_FALSE (isNotQt);

    t.ui->removeChangeListener (&listener);
}

TEST (InterfaceComponent, OnlyCancelGuideAndLogWorkWhileInstalling)
{
    InterfaceTestWindow t;
    deviceListValid = true;
    handOverQx4 (t);
    t.click ("installButton1");

    ChangeCounter listener;
    t.ui->addChangeListener (&listener);

    FakeBrowser browser;

    isInstalling = true;

    t.click ("languageButton");
    EXPECT_EQ (t.ui->getLanguage(), "cn");
    t.click ("installButton0");
    EXPECT_EQ (listener.count, 0);

    // Copy Log File puts the run log on the clipboard.
    RunLog::getLogFile().getParentDirectory().createDirectory();
    RunLog::getLogFile().replaceWithText ("\r\n" + juce::String::repeatedString ("*", 58) + "\r\nStratoset version: 1.1.17\r\n<Run> a line of the log\r\n");
    t.click ("logButton");
    EXPECT_TRUE (juce::SystemClipboard::getTextFromClipboard().contains ("<Run> a line of the log"));
    ASSERT_EQ (countAlerts (t.window), 1);

    t.ui->updateStatus ("12.5% 600000");

    // Cancel asks whether to fetch the package in the browser instead.
    LogCapture log;
    t.click ("cancelButton");
    EXPECT_TRUE (cancelRequested);
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> cancel: https://h/qx4/HubDriver_4.2_x64.zip"));

    auto& modal = *juce::ModalComponentManager::getInstance();
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return modal.getNumModalComponents() == 1; }));
    auto* question = dynamic_cast<juce::AlertWindow*> (modal.getModalComponent (0));
    ASSERT_NE (question, nullptr);
    juce::StringArray answers;

    for (auto* child : question->getChildren())
        if (auto* answer = dynamic_cast<juce::TextButton*> (child))
            answers.add (answer->getButtonText());

    EXPECT_EQ (answers.joinIntoString ("|"), t.ui->getLocalisedText ("yes") + "|" + t.ui->getLocalisedText ("no"));

    question->exitModalState (1);
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return browser.opened().isNotEmpty(); }));
    EXPECT_EQ (browser.opened(), "https://h/qx4/HubDriver_4.2_x64.zip");

    t.click ("languageButton");
    EXPECT_EQ (t.ui->getLanguage(), "cn");

    t.ui->removeChangeListener (&listener);
}

TEST (InterfaceComponent, EnglishRegionOpensThePluginPageInsteadOfInstalling)
{
    getSharedSettings().region = "en";
    InterfaceTestWindow t;
    uiLanguage = "en";
    handOverQx4 (t);
    FakeBrowser browser;
    ChangeCounter listener;
    t.ui->addChangeListener (&listener);
    LogCapture log;

    ASSERT_EQ (t.find<juce::Button> ("installButton2")->getButtonText(), "Plugin");
    t.click ("installButton2");
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> pluginWebUrl is empty"));

    pluginWebUrl = "https://www.velmora.com/user-center";
    t.click ("installButton2");
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> User Center open in default browser successful"));
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return browser.opened().isNotEmpty(); }));
    EXPECT_EQ (browser.opened(), pluginWebUrl);
    EXPECT_EQ (listener.count, 0) << "nothing is installed";
    EXPECT_TRUE (t.find ("installButton2")->isEnabled());

    t.click ("guideButton");
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> vedio link open in default browser successful"));
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return browser.opened().contains (InterfaceComponent::videoGuideUrl); }));

    t.ui->removeChangeListener (&listener);
}

TEST (InterfaceComponent, ManualSelectionNeedsAValidListAndForgetsTheLastDevice)
{
    InterfaceTestWindow t;
    ChangeCounter listener;
    t.ui->addChangeListener (&listener);

    deviceListValid = true;
    t.setDevices ({}, {}, {});
    deviceListValid = false;

    LogCapture log;
    t.click ("manualButton");
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> XML invalid, unable to enter manual selection mode."));
    EXPECT_FALSE (manualModeActive);
    EXPECT_EQ (listener.count, 0);
    ASSERT_EQ (countAlerts (t.window), 1);

    deviceListValid = true;
    handOverQx4 (t);
    t.click ("installButton1");
    t.setDevices ({}, {}, {});

    t.click ("manualButton");
    EXPECT_TRUE (manualModeActive);
    EXPECT_EQ (listener.count, 2);
    EXPECT_EQ (t.ui->getSelection().deviceName, "") << "a manual-selection request, not the earlier install again";
    EXPECT_EQ (t.textOf ("noticeLabel"), t.ui->getLocalisedText ("wait"));
    EXPECT_FALSE (t.isShown ("manualButton"));
    EXPECT_EQ (countAlerts (t.window), 2);

    t.ui->removeChangeListener (&listener);
}

TEST (InterfaceComponent, UpdateHintIsShownOncePerSetOfConnectedDevices)
{
    InterfaceTestWindow t;
    osVersionTooOld = true;
    LogCapture log;

    for (int tick = 0; tick < 5; ++tick)
        t.setDevices ({}, {}, {});

    EXPECT_EQ (countAlerts (t.window), 1);
    EXPECT_EQ (log.count ("InterfaceComponent.cpp > OS need to update!\n"), 1);

    handOverThreeDevices (t);
    t.setDevices ({}, {}, {});
    EXPECT_EQ (countAlerts (t.window), 1) << "a catalogue alone says nothing of the devices connected";

    t.ui->connectedDevicesChanged();
    t.setDevices ({}, {}, {});
    t.setDevices ({}, {}, {});
    EXPECT_EQ (countAlerts (t.window), 2) << "again after the devices have changed";
}

TEST (InterfaceComponent, ProgressShowsTheBarAndFromTheSeventhSlowReportTheSpeedTip)
{
    InterfaceTestWindow t;
    handOverQx4 (t);
    t.click ("installButton1");

    for (int report = 1; report <= 6; ++report)
    {
        t.ui->updateStatus ("30.5% 2048");
        EXPECT_EQ (t.textOf ("noticeLabel"), "") << report;
    }

    EXPECT_DOUBLE_EQ (t.ui->getProgressValue(), 0.305);
    ASSERT_TRUE (t.isShown ("progressBar"));
    EXPECT_EQ (t.find ("progressBar")->getBounds(), juce::Rectangle<int> (20, 350, 560, 30));
    ASSERT_TRUE (t.isShown ("cancelButton"));
    EXPECT_EQ (t.find ("cancelButton")->getBounds(), juce::Rectangle<int> (520, 320, 60, 24));
    EXPECT_EQ (t.find<juce::Button> ("cancelButton")->getButtonText(), cn ("取消"));
    EXPECT_FALSE (t.isShown ("statusLabel"));
    EXPECT_FALSE (t.isShown ("logButton"));

    t.ui->updateStatus ("30.5% 2048");
    EXPECT_EQ (t.textOf ("noticeLabel"), t.ui->getLocalisedText ("tip") + "2KB/s" + t.ui->getLocalisedText ("tip_tail"));
    EXPECT_EQ (t.find ("noticeLabel")->getBounds(), InterfaceComponent::getNoticeBounds()) << "the tip has room to show";

    // A text with both markers is progress: "%" is tested first.
    t.ui->updateStatus ("50% 600000 Unfortunately");
    EXPECT_DOUBLE_EQ (t.ui->getProgressValue(), 0.5);
    EXPECT_EQ (t.textOf ("noticeLabel"), "");
    EXPECT_FALSE (t.isShown ("retryButton"));

    t.ui->updateStatus ("Time out");
    EXPECT_FALSE (isInstalling);
    EXPECT_DOUBLE_EQ (t.ui->getProgressValue(), 0.0);
}

TEST (InterfaceComponent, DownloadedDriverPackageChecksTheDriverStore)
{
    InterfaceTestWindow t;
    t.host.write ("System32/pnputil.exe", "#!/bin/sh\ncat '" + juce::File (STRATOSET_TEST_DATA_DIR).getChildFile ("pnputil-enum-drivers.txt").getFullPathName() + "'\n")
        .setExecutePermission (true);
    handOverQx4 (t);
    t.click ("installButton1");
    t.ui->updateStatus ("99.000000% 900000");

    LogCapture log;
    t.ui->updateStatus ("Downloaded");

    // pnputil runs in the background: the window does not wait for it.
    EXPECT_TRUE (log.contains ("<InterfaceComponent::buttonClicked> buttonText: HubDriver[end]"));
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return log.countContaining ("/uninstall /force") > 0; }));
    EXPECT_TRUE (log.contains ("found: velmora_qx4.inf - oem12.inf"));
    EXPECT_TRUE (log.contains ((t.host / "System32").getFullPathName() + "/pnputil.exe /delete-driver oem12.inf /uninstall /force"));
    EXPECT_EQ (t.textOf ("statusLabel"), t.ui->getLocalisedText ("downloaded"));
    EXPECT_TRUE (t.isShown ("logButton"));
    EXPECT_FALSE (t.isShown ("progressBar"));
    EXPECT_FALSE (t.isShown ("cancelButton"));
    EXPECT_TRUE (isInstalling);
}

TEST (InterfaceComponent, InstallerFailureShowsItsTextAndOffersRetry)
{
    InterfaceTestWindow t;
    handOverQx4 (t);
    t.click ("installButton1");
    t.ui->updateStatus ("10% 600000");
    isInstalling = true;

    LogCapture log;
    t.ui->updateStatus ("Unfortunately the installation failed (7)");

    const auto text = t.ui->getLocalisedText ("error7") + "(7)";
    EXPECT_EQ (t.textOf ("statusLabel"), text);
    EXPECT_TRUE (log.contains ("<InterfaceComponent::updateStatus> " + text));
    ASSERT_TRUE (t.isShown ("retryButton"));
    EXPECT_EQ (t.find ("retryButton")->getBounds(), juce::Rectangle<int> (530, 320, 60, 30));
    EXPECT_EQ (t.find<juce::Button> ("retryButton")->getButtonText(), cn ("重试"));
    EXPECT_TRUE (t.find ("installButton1")->isEnabled());
    EXPECT_TRUE (t.isShown ("logButton"));

    EXPECT_FALSE (isInstalling);

    bool ownClicks = false, childClicks = false;
    t.find ("deviceCombo")->getInterceptsMouseClicks (ownClicks, childClicks);
    EXPECT_TRUE (ownClicks);

    // Retry without an installer from the last download says so at once.
    lastInstallerPath = (t.host / "Temp/VelmoraTmp/missing/setup.exe").getFullPathName();
    t.click ("retryButton");
    EXPECT_TRUE (log.contains ("<handleDownloadResult> package not found in: " + lastInstallerPath.get()));
    EXPECT_FALSE (t.isShown ("retryButton"));
    EXPECT_EQ (t.textOf ("statusLabel"), t.ui->getLocalisedText ("install_error"));
}

TEST (InterfaceComponent, CancelledDownloadLeavesABlankStatusOtherwiseAServerError)
{
    InterfaceTestWindow t;
    handOverQx4 (t);
    t.click ("installButton1");
    t.ui->updateStatus ("10% 600000");

    cancelRequested = true;
    t.ui->updateStatus ("Download cancelled");
    EXPECT_EQ (t.textOf ("statusLabel"), " ");
    EXPECT_FALSE (t.isShown ("progressBar"));
    EXPECT_TRUE (t.isShown ("installButton1") && t.find ("installButton1")->isEnabled()) << "the buttons are rebuilt";

    cancelRequested = false;
    t.ui->updateStatus ("Something new");
    EXPECT_EQ (t.textOf ("statusLabel"), t.ui->getLocalisedText ("server_error"));
}

TEST (InterfaceComponent, ServerNoticeReplacesTheMessageLineUntilReconnected)
{
    InterfaceTestWindow t;
    deviceListValid = true;
    t.setDevices ({}, {}, {});

    t.ui->updateStatus ("Server error");
    EXPECT_EQ (t.textOf ("noticeLabel"), t.ui->getLocalisedText ("reconnect"));
    EXPECT_EQ (t.find ("noticeLabel")->getBounds(), juce::Rectangle<int> (30, 120, 340, 90));
    EXPECT_FALSE (t.isShown ("messageLabel"));
    EXPECT_FALSE (t.isShown ("manualButton"));

    t.ui->updateStatus ("Server reconnect");
    EXPECT_FALSE (t.isShown ("noticeLabel"));
    EXPECT_TRUE (t.isShown ("messageLabel"));
}

TEST (InterfaceComponent, StatusesFromADownloadThreadHoldingTheMessageLock)
{
    InterfaceTestWindow t;
    handOverQx4 (t);
    t.click ("installButton1");

    std::atomic<bool> done { false };

    juce::Thread::launch ([&]
                          {
                              const juce::MessageManagerLock lock;
                              t.ui->updateStatus ("42% 600000");
                              t.ui->updateStatus ("Installed");
                              done = true; });

    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return done.load(); },
                                      30000));
    EXPECT_EQ (t.textOf ("statusLabel"), "HubDriver " + t.ui->getLocalisedText ("installed"));
    EXPECT_FALSE (t.isShown ("progressBar"));
    EXPECT_DOUBLE_EQ (t.ui->getProgressValue(), 0.0);
}

TEST (InterfaceComponent, PicturesGoToTheUsersFolderWhenTheSharedOneCannotBeMade)
{
    SimulatedHostFolder host;
    // A file where the maker's folder should be: the folder cannot be made.
    (host / "ProgramData").createDirectory();
    (host / "ProgramData/Velmora").create();

    LogCapture log;
    const auto own = host / "Users/user/AppData/Roaming/Velmora/StratosetDriver";
    EXPECT_EQ (InterfaceComponent::getPictureCacheFolder(), own);
    EXPECT_TRUE (log.contains ("<InterfaceComponent::loadImage> cannot create " + (host / "ProgramData/Velmora/StratosetDriver").getFullPathName()
                               + ", pictures are kept in " + own.getFullPathName()))
        << log.getLines().joinIntoString ("\n");
}

TEST (InterfaceComponent, PicturesAreCachedBelowTheHostAndDrawnInTheirBox)
{
    TemporaryFolder site;
    const auto writePicture = [&] (const juce::String& path, int w, int h, juce::Colour colour)
    {
        juce::Image image (juce::Image::RGB, w, h, false);
        image.clear (image.getBounds(), colour);
        auto file = site / path;
        file.getParentDirectory().createDirectory();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat().writeImageToStream (image, out);
    };

    writePicture ("pictures/wide.png", 400, 200, juce::Colours::red);
    writePicture ("pictures/tall.png", 100, 200, juce::Colours::blue);
    LoopbackNginx server (site.getFolder());
    ASSERT_TRUE (server.isRunning());

    InterfaceTestWindow t;
    LogCapture log;
    t.setDevices ({ "Wide", "Tall", "Up" }, {}, {}, { { "Wide", server.urlFor ("pictures/wide.png") }, { "Tall", server.urlFor ("pictures/tall.png") }, { "Up", server.urlFor ("pictures/..") } });

    // The pictures arrive in the background, after the device is shown.
    const auto cache = t.host / "ProgramData/Velmora/StratosetDriver";
    EXPECT_EQ (InterfaceComponent::getPictureCacheFolder(), cache);
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return log.contains ("<InterfaceComponent::loadImage> Loaded image: tall.png"); }));
    EXPECT_TRUE (cache.getChildFile ("tall.png").existsAsFile());
    EXPECT_FALSE (cache.getChildFile ("temp_download").exists());

    const auto pixel = [&] (int x, int y)
    { return t.ui->createComponentSnapshot (t.ui->getLocalBounds()).getPixelAt (x, y); };
    auto* combo = t.find<juce::ComboBox> ("deviceCombo");
    EXPECT_EQ (combo->getText(), "Tall");
    EXPECT_EQ (pixel (361, 61), juce::Colours::blue);
    EXPECT_EQ (pixel (434, 209), juce::Colours::blue);
    EXPECT_EQ (pixel (436, 100), juce::Colours::white) << "75 x 150 at (360, 60)";

    combo->setSelectedId (3, juce::sendNotificationSync);
    EXPECT_EQ (combo->getText(), "Wide");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return log.contains ("<InterfaceComponent::loadImage> Loaded image: wide.png"); }));
    EXPECT_EQ (pixel (311, 61), juce::Colours::red);
    EXPECT_EQ (pixel (588, 198), juce::Colours::red);
    EXPECT_EQ (pixel (588, 202), juce::Colours::white) << "280 x 140 at (310, 60)";

    // A picture changed on the server is the one shown after the next
    // fetch, although the old one is still on screen.
    (site / "pictures/wide.png").deleteFile();
    writePicture ("pictures/wide.png", 400, 200, juce::Colours::green);
    EXPECT_EQ (t.ui->loadImage ("Wide").getPixelAt (10, 10), juce::Colours::green);

    // An error page keeps the copy from before; an address without a file name stores nothing.
    (site / "pictures/wide.png").deleteFile();
    const auto cachedBytes = [&]
    {
        juce::MemoryBlock bytes;
        cache.getChildFile ("wide.png").loadFileAsData (bytes);
        return bytes;
    };
    const auto before = cachedBytes();
    ASSERT_GT (before.getSize(), 0u);
    juce::ImageCache::releaseUnusedImages();
    const auto image = t.ui->loadImage ("Wide");
    EXPECT_TRUE (log.contains ("<InterfaceComponent::loadImage> download failed: " + server.urlFor ("pictures/wide.png")));
    EXPECT_EQ (cachedBytes(), before);
    EXPECT_EQ (image.getWidth(), 400);

    EXPECT_FALSE (t.ui->loadImage ("Up").isValid());
    EXPECT_TRUE (log.contains ("<InterfaceComponent::loadImage> download failed: " + server.urlFor ("pictures/..")));
    EXPECT_EQ (cache.findChildFiles (juce::File::findFilesAndDirectories, false).size(), 2) << "tall.png and wide.png";
}

TEST (InterfaceComponent, PicturePartFilesOfAKilledRunGoAtStartThoseOfAFetchUnderWayStay)
{
    TemporaryFolder cache;
    const auto stale = cache.write ("qx4.png.0123456789ab.part", "cut off");
    ASSERT_TRUE (stale.setLastModificationTime (juce::Time::getCurrentTime() - juce::RelativeTime::days (1)));
    const auto fresh = cache.write ("qx4.png.ba9876543210.part", "arriving");
    const auto kept = cache.write ("qx4.png", "picture");

    const PictureCache pictures (cache.getFolder());

    EXPECT_FALSE (stale.exists());
    EXPECT_TRUE (fresh.exists()) << "another copy's fetch may be writing it";
    EXPECT_TRUE (kept.exists());
}

TEST (InterfaceComponent, PictureBoxKeepsTheProportions)
{
    EXPECT_EQ (InterfaceComponent::getPictureBox (200, 200), juce::Rectangle<int> (360, 60, 150, 150));
    EXPECT_EQ (InterfaceComponent::getPictureBox (400, 200), juce::Rectangle<int> (310, 60, 280, 140));
    EXPECT_EQ (InterfaceComponent::getPictureBox (100, 200), juce::Rectangle<int> (360, 60, 75, 150));
    EXPECT_EQ (InterfaceComponent::getPictureBox (300, 7), juce::Rectangle<int> (310, 60, 280, 6));
    EXPECT_TRUE (InterfaceComponent::getPictureBox (0, 0).isEmpty());
}

TEST (InterfaceComponent, RetryThatSeesNoTellingDialogEndsWithTheInstallersOwnWord)
{
    InterfaceTestWindow t;
    FakeInstaller::EndGuard endGuard { t.host.getFolder() };
    handOverQx4 (t);
    t.click ("installButton0");
    t.ui->updateStatus ("Unfortunately the installation failed. (7)");

    const std::pair<juce::File, const char*> cases[] = {
        { FakeInstaller::placeAt (t.host / "Temp/VelmoraTmp/Tessel Max 2.1/Setup.silent.exe"), "installed" }, // no dialog, exit code 0
        { t.host.write ("Temp/VelmoraTmp/Tessel Max 2.1/Fails.exe", "#!/bin/sh\nexit 3\n"), "install_error" },
        { t.host.write ("Temp/VelmoraTmp/Tessel Max 2.1/NotAProgram.exe", "MZ but not a program"), "install_error" }, // never starts
        { t.host.write ("Temp/VelmoraTmp/Tessel Max 2.1/Swapped.exe", "#!/bin/sh\nexit 0\n"), "not_signed" }, // nobody signed it
    };

    // All but the last signed by the maker.
    for (const auto& [installer, key] : cases)
    {
        juce::MemoryBlock content;
        installer.loadFileAsData (content);

        if (juce::String (key) != "not_signed")
            t.host.describeSignature (content, "signed by " + FakeInstaller::makersName());
    }

    for (const auto& [installer, key] : cases)
    {
        t.ui->updateStatus ("Unfortunately the installation failed. (7)");
        ASSERT_TRUE (t.isShown ("retryButton"));
        lastInstallerPath = installer.getFullPathName();
        t.click ("retryButton");
        EXPECT_TRUE (runMessageLoopUntil ([&]
                                          { return t.textOf ("statusLabel").endsWith (t.ui->getLocalisedText (key)); }))
            << installer.getFileName() << ": " << t.textOf ("statusLabel");
    }

    EXPECT_FALSE ((t.host / "Temp/VelmoraTmp/Tessel Max 2.1/Swapped.exe").exists()) << "the installer that is not the maker's is removed";
}

TEST (InterfaceComponent, RetryStartsTheLastInstallerAgainAndReadsItsDialogOnce)
{
    InterfaceTestWindow t;
    FakeInstaller::EndGuard endGuard { t.host.getFolder() };
    handOverQx4 (t);
    t.click ("installButton0"); // Tessel Max
    t.ui->updateStatus ("Unfortunately the installation failed. (7)");

    // The installer of the last download, in a folder with blanks; its run is recorded.
    FakeInstaller::signAsMaker (t.host.getFolder());
    const auto installer = FakeInstaller::placeAt (t.host / "Temp/VelmoraTmp/Tessel Max 2.1/Setup.silent.exe");
    lastInstallerPath = installer.getFullPathName();

    // The installer's dialog as the window service shows it: its failure page again.
    FakeWindowAutomation windows;
    windows.addWindow ("#32770", "QX4 Setup", { { "Static", "Setup" }, { "Static", "Unfortunately the installation failed. (6)" }, { "Button", "E&xit" } });

    t.click ("retryButton");

    // Checked and started on a thread of the retry's own, recorded at its end.
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return ! FakeInstaller::readRuns (installer).empty(); }));
    ASSERT_TRUE (FakeInstaller::waitForInstallersToEnd());
    const auto runs = FakeInstaller::readRuns (installer);
    ASSERT_EQ (runs.size(), 1u);
    EXPECT_EQ (runs[0].arguments, juce::StringArray ("/S", "/allusers")) << "Tessel Max in region cn";

    // The look at the dialog happens off the message thread; its outcome follows.
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return t.textOf ("statusLabel") == t.ui->getLocalisedText ("error6") + "(6)"; }));
    EXPECT_TRUE (t.isShown ("retryButton")) << "the failure offers Retry again";

    // This time the dialog says the installation has completed.
    FakeWindowAutomation completed;
    completed.addWindow ("#32770", "QX4 Setup", { { "Static", "The installation completed successfully. It's not necessary to reboot." }, { "Button", "E&xit" } });
    t.click ("retryButton");
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return FakeInstaller::readRuns (installer).size() >= 2; }));
    ASSERT_TRUE (FakeInstaller::waitForInstallersToEnd());

    EXPECT_EQ (FakeInstaller::readRuns (installer).size(), 2u);
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return t.textOf ("statusLabel").endsWith (" " + t.ui->getLocalisedText ("installed")); }));
    EXPECT_FALSE (t.isShown ("retryButton"));
}

TEST (InterfaceComponent, RetryIsARequestAndItsLateWordIsDroppedOnceAnotherHasBegun)
{
    InterfaceTestWindow t;
    FakeInstaller::EndGuard endGuard { t.host.getFolder() };
    handOverQx4 (t);
    ChangeCounter listener;
    t.ui->addChangeListener (&listener);
    t.click ("installButton0");
    t.ui->setRetryEndWait (300);

    // An installer without a dialog that ends when the test says so.
    const auto installer = t.host.write ("Temp/VelmoraTmp/Tessel Max 2.1/Setup.exe", "#!/bin/sh\nwhile [ ! -e \"$0.go\" ]; do sleep 0.05; done\nexit 0\n");
    juce::MemoryBlock program;
    installer.loadFileAsData (program);
    t.host.describeSignature (program, "signed by " + FakeInstaller::makersName());
    lastInstallerPath = installer.getFullPathName();
    const auto go = installer.getSiblingFile ("Setup.exe.go");
    const auto installedText = t.ui->getLocalisedText ("installed");

    // Left alone, the installer's end still has the last word after "Time out";
    // with a new request begun meanwhile, it is dropped.
    for (const bool newRequestMeanwhile : { false, true })
    {
        LogCapture log;
        go.deleteFile();
        t.ui->updateStatus ("Unfortunately the installation failed. (7)");
        ASSERT_TRUE (t.isShown ("retryButton"));
        t.click ("retryButton");

        // The retry runs: no other request starts meanwhile.
        EXPECT_TRUE (isInstalling) << newRequestMeanwhile;
        const auto changesBefore = listener.count;
        t.click ("installButton1");
        runMessageLoopFor (50);
        EXPECT_EQ (listener.count, changesBefore) << newRequestMeanwhile;

        ASSERT_TRUE (runMessageLoopUntil ([&]
                                          { return t.textOf ("statusLabel") == t.ui->getLocalisedText ("time_out"); }))
            << t.textOf ("statusLabel");
        EXPECT_FALSE (isInstalling);

        if (newRequestMeanwhile)
        {
            t.click ("installButton1");
            ASSERT_TRUE (runMessageLoopUntil ([&]
                                              { return listener.count > changesBefore; }));
        }

        ASSERT_TRUE (go.create());
        ASSERT_TRUE (FakeInstaller::waitForInstallersToEnd());

        if (newRequestMeanwhile)
        {
            EXPECT_TRUE (runMessageLoopUntil ([&]
                                              { return log.contains ("<InterfaceComponent::retryInstaller> A newer request runs, the retry's status is dropped: Installed"); }));
            EXPECT_EQ (t.textOf ("statusLabel"), t.ui->getLocalisedText ("check_driver")) << "the new request's line stays";
        }
        else
        {
            EXPECT_TRUE (runMessageLoopUntil ([&]
                                              { return t.textOf ("statusLabel").endsWith (" " + installedText); }))
                << t.textOf ("statusLabel");
        }
    }

    t.ui->removeChangeListener (&listener);
}
