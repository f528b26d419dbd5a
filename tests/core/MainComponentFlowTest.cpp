#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "core/MainComponent.h"
#include "devices/DeploymentSettings.h"
#include "download/DownloadMonitor.h"
#include "support/FakeInstaller.h"
#include "support/LogCapture.h"
#include "support/LoopbackNginx.h"
#include "support/MessageLoop.h"
#include "support/SimulatedHostFolder.h"
#include "support/SmallVolume.h"
#include "ui/MyAlertWindow.h"

namespace
{
const juce::String listName = "list_20260509_1.1.16.xml";

const juce::String deviceList = R"(<list driverBaseUrl="https://unused.test" pluginWebUrl="https://www.example.test/plugins">
  <item pid="260" name="QX4" type="pic" file="pictures/qx4.png"/>
  <item pid="260" name="QX4" type="tesselmax_notqt+dri" os="win10" file="tesselmax/TesselMax 2.1.zip"/>
  <item pid="260" name="QX4" type="qx4" os="win" osbit="64" file="qx4/HubDriver_4.2_x64.zip"/>
  <item pid="161" name="Arc 2" type="vortexdeck" os="win" file="arc2/VortexDeck Setup 3.0.exe"/>
</list>)";

/** The program's main component on a simulated 64-bit Windows 10 host, in a
    window, with the maker's servers played by nginx on 127.0.0.1.
*/
class World
{
public:
    explicit World (bool publishList = true, const juce::String& limitRate = {})
        : server (served.getFolder(), limitRate), listPublished (publishList)
    {
        host.setWindowsVersion ("10.0.19045");
        host.setWow64 (true);
        (host / "usb").createDirectory();
        FakeInstaller::signAsMaker (host.getFolder());

        if (publishList)
            served.write (listName, deviceList);

        publishArchive ("tesselmax/TesselMax 2.1.zip", "QX4 Tessel Max Setup.success.exe");
    }

    ~World()
    {
        for (int i = juce::ModalComponentManager::getInstance()->getNumModalComponents(); --i >= 0;)
            if (auto* modal = juce::ModalComponentManager::getInstance()->getModalComponent (i))
                modal->exitModalState (0);

        window.clearContentComponent();
        main.reset();

        // Hints still shown (MyAlertWindow) go as a user would dismiss them.
        juce::Array<juce::Component::SafePointer<juce::Component>> hints;

        for (auto* child : window.getChildren())
            if (dynamic_cast<MyAlertWindow*> (child) != nullptr)
                hints.add (child);

        for (auto& hint : hints)
            if (auto* alert = dynamic_cast<MyAlertWindow*> (hint.getComponent()))
                alert->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
        runMessageLoopFor (50);
        cancelRequested = false;
    }

    /** Opens the window; a published list is then in (its first fetch runs
        in the background, and a tick takes its end).
    */
    void start()
    {
        main = std::make_unique<MainComponent>();
        window.setContentNonOwned (main.get(), true);
        window.setVisible (true);

        if (listPublished)
            runMessageLoopUntil ([]
                                 { return deviceListValid.load(); });
    }

    void publishArchive (const juce::String& path, const juce::String& installerName)
    {
        FakeInstaller::writeArchive (served / path, installerName);
    }

    void plug (const juce::String& file, const juce::String& productId, const juce::String& friendlyName) const
    {
        host.write ("usb/" + file + ".device", "USB\\VID_2C7D&PID_" + productId + "&REV_0100\n" + friendlyName + "\n");
    }

    void unplug (const juce::String& file) const { (host / ("usb/" + file + ".device")).deleteFile(); }

    template <typename ComponentType = juce::Component>
    ComponentType* find (const juce::String& id) const
    {
        auto* ui = main->getChildComponent (0);
        return ui != nullptr ? dynamic_cast<ComponentType*> (ui->findChildWithID (id)) : nullptr;
    }

    juce::String textOf (const juce::String& id) const
    {
        auto* label = find<juce::Label> (id);
        return label != nullptr ? label->getText() : juce::String ("<not shown>");
    }

    juce::String shownDevice() const
    {
        auto* combo = find<juce::ComboBox> ("deviceCombo");
        return combo != nullptr ? combo->getText() : juce::String();
    }

    juce::StringArray deviceItems() const
    {
        juce::StringArray items;

        if (auto* combo = find<juce::ComboBox> ("deviceCombo"))
            for (int i = 0; i < combo->getNumItems(); ++i)
                items.add (combo->getItemText (i));

        return items;
    }

    void click (const juce::String& id) const
    {
        auto* button = find<juce::Button> (id);
        ASSERT_NE (button, nullptr) << id << " is not shown";
        button->triggerClick();
        runMessageLoopFor (50);
    }

    /** The question box that is open, or nullptr. */
    static juce::AlertWindow* openQuestion()
    {
        auto* manager = juce::ModalComponentManager::getInstance();

        for (int i = 0; i < manager->getNumModalComponents(); ++i)
            if (auto* alert = dynamic_cast<juce::AlertWindow*> (manager->getModalComponent (i)))
                return alert;

        return nullptr;
    }

    /** The question's message (JUCE keeps it as the window's description, after its title). */
    static juce::String messageOf (const juce::AlertWindow* question)
    {
        return question != nullptr ? question->getDescription().substring (question->getName().length() + 2) : juce::String();
    }

    static bool waitForQuestion (int timeoutMs = 20000)
    {
        return runMessageLoopUntil ([]
                                    { return openQuestion() != nullptr; },
                                    timeoutMs);
    }

    /** Answers the open question with its first (1) or second (0) button. */
    static void answer (int result)
    {
        auto* question = openQuestion();
        ASSERT_NE (question, nullptr);
        question->exitModalState (result);
        runMessageLoopFor (50);
    }

    SimulatedHostFolder host;
    FakeInstaller::EndGuard endGuard { host.getFolder() };
    TemporaryFolder served;
    LoopbackNginx server;
    bool listPublished;
    ScopedDeploymentSettings servers { server.getBaseUrl() };
    LogCapture log;
    juce::DocumentWindow window { "Stratoset 1.1.17", juce::Colours::white, 0 };
    std::unique_ptr<MainComponent> main;
};
} // namespace

TEST (MainComponentFlow, OffersThePackagesOfAPluggedDeviceAndForgetsItWhenUnplugged)
{
    World world;
    world.start();
    ASSERT_TRUE (deviceListValid);

    runMessageLoopFor (1200);
    EXPECT_EQ (world.log.countContaining ("got device PID"), 0);
    EXPECT_EQ (world.textOf ("messageLabel"), world.main->getLocalisedText ("no_device"));
    EXPECT_NE (world.find ("manualButton"), nullptr) << "the list is valid: manual selection is offered";

    world.plug ("qx4", "0104", "QX4 Audio");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.shownDevice() == "QX4"; }));
    EXPECT_TRUE (world.log.contains ("<MainComponent> got device PID: 0x0104"));
    EXPECT_NE (world.find ("installButton0"), nullptr);
    EXPECT_NE (world.find ("installButton1"), nullptr);

    // The same device on later ticks: nothing is rebuilt.
    runMessageLoopFor (1200);
    EXPECT_EQ (world.log.count ("<MainComponent> got device PID: 0x0104"), 1);

    world.unplug ("qx4");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.shownDevice().isEmpty(); }));
    runMessageLoopFor (1200);
    EXPECT_EQ (world.log.count ("<MainComponent::timerCallback> no device connected..."), 1) << "logged once, not on every tick";
}

TEST (MainComponentFlow, TwoDevicesInEitherOrderAreOneSet)
{
    World world;
    world.start();

    world.plug ("b-qx4", "0104", "QX4 Audio");
    world.plug ("a-arc", "00A1", "Arc 2");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.deviceItems() == juce::StringArray ({ "Arc 2", "QX4" }); }));
    EXPECT_EQ (world.log.countContaining ("got device PID"), 2);

    // The same two, now enumerated the other way round.
    world.unplug ("b-qx4");
    world.unplug ("a-arc");
    world.plug ("a-qx4", "0104", "QX4 Audio");
    world.plug ("b-arc", "00A1", "Arc 2");
    runMessageLoopFor (1500);

    EXPECT_EQ (world.log.countContaining ("got device PID"), 2) << "no rebuild for the same set";
    EXPECT_EQ (world.log.count ("<MainComponent::timerCallback> no device connected..."), 0);
}

TEST (MainComponentFlow, RetriesTheListUntilTheServerHasIt)
{
    World world (false);
    world.start();
    EXPECT_FALSE (deviceListValid);

    // The attempts run in the background, one after the other, while the
    // ticks go on.
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.log.countContaining ("MainComponent > Failed to download XML file: ") >= 3; }));
    EXPECT_EQ (world.textOf ("noticeLabel"), world.main->getLocalisedText ("reconnect"));
    EXPECT_FALSE (deviceListValid);
    EXPECT_EQ (world.find ("manualButton"), nullptr) << "no manual selection without a list";

    world.served.write (listName, deviceList);
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return deviceListValid.load(); }));
    EXPECT_EQ (world.log.count ("<MainComponent::timerCallback> reconnected!"), 1);
    EXPECT_EQ (pluginWebUrl, "https://www.example.test/plugins");
    EXPECT_EQ (world.find ("noticeLabel"), nullptr) << "the notice goes once the server answers";

    world.plug ("qx4", "0104", "QX4 Audio");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.shownDevice() == "QX4"; }));
    EXPECT_EQ (world.log.count ("<MainComponent::timerCallback> reconnected!"), 1);
}

TEST (MainComponentFlow, ManualModeOffersEveryDeviceAndAsksWhenOneIsPlugged)
{
    World world;
    world.start();
    runMessageLoopFor (700);

    world.click ("manualButton");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.deviceItems().size() == 2; }));
    EXPECT_TRUE (manualModeActive);
    EXPECT_TRUE (world.log.contains ("<MainComponent::changeListenerCallback> Interface calling for manual selection mode!"));
    EXPECT_TRUE (world.log.contains ("<MainComponent::obtainAll> obtain 2 devices"));
    EXPECT_NE (world.find ("quitManualButton"), nullptr);

    world.plug ("qx4", "0104", "QX4 Audio");
    ASSERT_TRUE (World::waitForQuestion());
    EXPECT_EQ (World::messageOf (World::openQuestion()), world.main->getLocalisedText ("connect_ask"));
    EXPECT_FALSE (world.main->isTimerRunning()) << "the watch waits for the answer";

    World::answer (0);
    EXPECT_TRUE (manualModeActive);
    EXPECT_TRUE (world.main->isTimerRunning());
    runMessageLoopFor (1500);
    EXPECT_EQ (World::openQuestion(), nullptr) << "not asked again for the same devices";

    world.plug ("arc", "00A1", "Arc 2");
    ASSERT_TRUE (World::waitForQuestion());
    World::answer (1);
    EXPECT_FALSE (manualModeActive);

    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.log.countContaining ("got device PID") == 2; }));
    EXPECT_EQ (world.deviceItems(), juce::StringArray ({ "Arc 2", "QX4" }));
    EXPECT_EQ (world.find ("quitManualButton"), nullptr);
}

TEST (MainComponentFlow, ManualModeWithNothingForThisHostSaysSoAndKeepsTheWayBack)
{
    World world (false);
    world.served.write (listName, R"(<list driverBaseUrl="https://unused.test">
  <item pid="260" name="QX4" type="pic" file="q.png"/>
  <item pid="260" name="QX4" area="cn/en" type="qx4" os="win7" file="qx4/OnlyForWindows7.zip"/>
</list>)");
    world.start();
    runMessageLoopFor (700);

    world.click ("manualButton");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.textOf ("messageLabel") == world.main->getLocalisedText ("no_software"); }));
    EXPECT_TRUE (manualModeActive);
    EXPECT_EQ (world.find ("noticeLabel"), nullptr) << "the wait notice goes";
    ASSERT_NE (world.find ("quitManualButton"), nullptr) << "the way back";

    world.click ("quitManualButton");
    EXPECT_FALSE (manualModeActive);
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.find ("manualButton") != nullptr; }));
}

TEST (MainComponentFlow, UpdateHintComesAgainWhenTheTooOldDeviceIsPluggedAgain)
{
    World world (false);
    world.host.setWindowsVersion ("10.0.18362"); // 1909: too old for the QX4's package
    world.served.write (listName, R"(<list driverBaseUrl="https://unused.test">
  <item pid="260" name="QX4" type="pic" file="q.png"/>
  <item pid="260" name="QX4" area="cn/en" type="qx4" os="win10" file="qx4/NewWindowsOnly.zip"/>
</list>)");
    world.start();

    const auto hints = [&]
    { return world.log.count ("InterfaceComponent.cpp > OS need to update!\n"); };

    world.plug ("qx4", "0104", "QX4 Audio");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return hints() == 1; }));

    world.unplug ("qx4");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.log.contains ("<MainComponent::timerCallback> no device connected..."); }));
    runMessageLoopFor (1200);
    EXPECT_EQ (hints(), 1) << "not again on every tick without a device";

    world.plug ("qx4", "0104", "QX4 Audio");
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return hints() == 2; }));
}

TEST (MainComponentFlow, InstallEndsInstalledAndOffersToLaunchTheNewestShortcut)
{
    World world;
    world.start();
    world.plug ("qx4", "0104", "QX4 Audio");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.find ("installButton0") != nullptr; }));

    // An older shortcut of the product elsewhere: the new one is newer.
    const auto oldProgram = world.host.write ("Program Files/Old/TesselMax.exe", "#!/bin/sh\ntouch \"$0.started\"\n");
    const auto oldShortcut = world.host / "Users/user/Desktop/Tessel Max.lnk";
    oldShortcut.getParentDirectory().createDirectory();
    ASSERT_TRUE (oldProgram.createSymbolicLink (oldShortcut, true));
    juce::Thread::sleep (1100);

    const auto folderBefore = juce::File::getCurrentWorkingDirectory();
    world.click ("installButton0");
    EXPECT_TRUE (isInstalling);
    EXPECT_NE (world.main->getDownloadMonitor(), nullptr);
    EXPECT_TRUE (world.log.getLines().joinIntoString ("\n").contains ("<MainComponent::changeListenerCallback> selection: QX4 Tessel Max cn cn " + world.server.urlFor ("tesselmax/TesselMax%202.1.zip")));

    // A second request while it runs is refused (the interface itself already
    // ignores its install buttons then).
    if (auto* broadcaster = dynamic_cast<juce::ChangeBroadcaster*> (world.main->getChildComponent (0)))
        broadcaster->sendSynchronousChangeMessage();

    EXPECT_TRUE (world.log.contains ("<MainComponent::changeListenerCallback> Already installing, ignore new request"));

    ASSERT_TRUE (World::waitForQuestion (30000)) << world.log.getLines().joinIntoString ("\n");
    EXPECT_TRUE (world.log.contains ("<MainComponent::changeListenerCallback> Installed"));
    EXPECT_EQ (World::messageOf (World::openQuestion()), "Tessel Max" + world.main->getLocalisedText ("upper_ready"));

    const auto program = world.host / "Program Files/Velmora/QX4 Tessel Max/QX4TesselMax.exe";
    EXPECT_EQ (world.main->getOfferedProgram(), program);
    EXPECT_TRUE (runMessageLoopUntil ([&]
                                      { return world.main->getDownloadMonitor() == nullptr; }))
        << "the monitor goes after the final status";
    EXPECT_TRUE (runMessageLoopUntil ([]
                                      { return ! isInstalling.load(); }));
    EXPECT_TRUE (world.textOf ("statusLabel").endsWith (world.main->getLocalisedText ("installed")));

    World::answer (1);
    // The program notes its folder with "pwd >>": the file can exist a moment before its line.
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return program.getSiblingFile (program.getFileName() + ".started").loadFileAsString().containsChar ('\n'); }));
    EXPECT_EQ (program.getSiblingFile (program.getFileName() + ".started").loadFileAsString().trim(), program.getParentDirectory().getFullPathName())
        << "started in its own folder";
    EXPECT_EQ (juce::File::getCurrentWorkingDirectory(), folderBefore) << "and the program's folder is restored";
    EXPECT_FALSE (oldProgram.getSiblingFile ("TesselMax.exe.started").exists());
}

TEST (MainComponentFlow, FailedDownloadBringsTheButtonsBack)
{
    World world;
    (world.served / "qx4").createDirectory(); // the HubDriver package is missing
    world.start();
    world.plug ("qx4", "0104", "QX4 Audio");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.find ("installButton1") != nullptr; }));

    world.click ("installButton1");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.log.contains ("<MainComponent::changeListenerCallback> Download failed"); },
                                      20000));

    EXPECT_EQ (world.textOf ("statusLabel"), world.main->getLocalisedText ("download_error"));
    ASSERT_NE (world.find<juce::Button> ("installButton1"), nullptr);
    EXPECT_TRUE (world.find<juce::Button> ("installButton1")->isEnabled());
    EXPECT_TRUE (runMessageLoopUntil ([]
                                      { return ! isInstalling.load(); }));
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.main->getDownloadMonitor() == nullptr; }));
}

TEST (MainComponentFlow, CancelStopsTheDownloadAndAsksAboutTheBrowser)
{
    World world (true, "64k");
    juce::MemoryBlock data (2 * 1024 * 1024);
    (world.served / "qx4").createDirectory();
    (world.served / "qx4/HubDriver_4.2_x64.zip").replaceWithData (data.getData(), data.getSize());
    world.start();
    world.plug ("qx4", "0104", "QX4 Audio");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.find ("installButton1") != nullptr; }));

    world.click ("installButton1");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.find ("cancelButton") != nullptr; }));

    world.click ("cancelButton");
    EXPECT_TRUE (cancelRequested);
    ASSERT_TRUE (World::waitForQuestion());
    EXPECT_EQ (World::messageOf (World::openQuestion()), world.main->getLocalisedText ("query_download"));
    World::answer (0);

    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.textOf ("statusLabel") == " "; }));
    EXPECT_TRUE (runMessageLoopUntil ([]
                                      { return ! isInstalling.load(); }));
    EXPECT_TRUE ((world.host / "Temp/VelmoraTmp").findChildFiles (juce::File::findFiles, true, "HubDriver_4.2_x64.zip*").isEmpty());
    EXPECT_EQ (world.log.countContaining ("<DownloadMonitor::timerCallback> Downloaded in"), 0);
}

TEST (MainComponentFlow, SmallDiskIsFoundOutOrEndsSayingSoAndThePackageThatFitsStillInstalls)
{
    World world;
    const auto workFolder = world.host / "Temp/VelmoraTmp";
    SmallVolume volume (workFolder, 2048);
    SKIP_WITHOUT_SMALL_VOLUME (volume);

    // 3 MiB that do not compress: more than the disk holds, as downloaded.
    juce::MemoryBlock noise (3 * 1024 * 1024);
    juce::Random (27).fillBitsRandomly (noise.getData(), noise.getSize());
    (world.served / "qx4").createDirectory();
    (world.served / "qx4/HubDriver_4.2_x64.zip").replaceWithData (noise.getData(), noise.getSize());

    world.start();
    world.plug ("qx4", "0104", "QX4 Audio");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.find ("installButton1") != nullptr; }));

    const auto diskFull = world.main->getLocalisedText ("disk_full");
    const auto requestHasEnded = [&] (const juce::String& line, const juce::String& statusLine)
    {
        return runMessageLoopUntil ([&]
                                    { return world.log.contains (line) && world.textOf ("statusLabel") == statusLine && ! isInstalling; },
                                    30000);
    };

    // Found out before the download: the line says how much room it takes, and where.
    const auto tooSmall = world.main->getLocalisedText ("not_enough_space").replace ("%2", workFolder.getFullPathName());
    world.click ("installButton1");
    ASSERT_TRUE (requestHasEnded ("<MainComponent::changeListenerCallback> Download failed", tooSmall.replace ("%1", "7.0 MB")))
        << world.log.getLines().joinIntoString ("\n") << world.textOf ("statusLabel");
    EXPECT_EQ (world.log.countContaining ("<DownloadMonitor::timerCallback> Not enough disk space: "), 1);
    EXPECT_EQ (world.log.countContaining ("<ChunkedDownloader> The disk is full: "), 0);

    // Then a package that arrives whole but would unpack to 3 MB.
    {
        juce::ZipFile::Builder builder;
        const auto script = FakeInstaller::getScript().loadFileAsString();
        const auto data = juce::String::repeatedString ("0", 3000000);
        builder.addEntry (new juce::MemoryInputStream (script.toRawUTF8(), script.getNumBytesAsUTF8(), true), 9, "QX4 Setup.busy.exe", juce::Time::getCurrentTime());
        builder.addEntry (new juce::MemoryInputStream (data.toRawUTF8(), data.getNumBytesAsUTF8(), true), 9, "driver.cab", juce::Time::getCurrentTime());
        const auto archive = world.served / "qx4/HubDriver_4.2_x64.zip";
        archive.deleteFile();
        juce::FileOutputStream out (archive);
        builder.writeToStream (out, nullptr);
    }

    world.log.clear();
    lastInstallerPath = "from before";
    world.click ("installButton1");
    ASSERT_TRUE (requestHasEnded ("<DownloadMonitor::timerCallback> Unzip failed, nothing was started", diskFull)) << world.log.getLines().joinIntoString ("\n");
    EXPECT_EQ (world.log.countContaining ("<handleDownloadResult> Not enough disk space to unpack HubDriver_4.2_x64.zip: "), 1);
    EXPECT_EQ (lastInstallerPath, "from before");
    EXPECT_EQ (getRunningInstallerCount(), 0);
    EXPECT_TRUE (workFolder.findChildFiles (juce::File::findFiles, true, "HubDriver*").isEmpty()) << "nothing of either package is left";
    EXPECT_FALSE (workFolder.getChildFile ("downloads").exists());

    // The package that fits installs, without a restart.
    world.click ("installButton0");
    ASSERT_TRUE (World::waitForQuestion (30000)) << world.log.getLines().joinIntoString ("\n");
    EXPECT_TRUE (world.log.contains ("<MainComponent::changeListenerCallback> Installed"));
    EXPECT_TRUE (lastInstallerPath.get().startsWith (workFolder.getFullPathName()));
}

TEST (MainComponentFlow, PackageOrInstallerThatIsNotTheMakersIsNeverStarted)
{
    World world;

    // The Tessel Max package as the list describes it (its SHA-256), whose
    // installer no one signed; the driver package with a SHA-256 it lacks.
    auto unsignedInstaller = FakeInstaller::getScript().loadFileAsString() + "\n# changed on the way\n";
    juce::ZipFile::Builder builder;
    builder.addEntry (new juce::MemoryInputStream (unsignedInstaller.toRawUTF8(), unsignedInstaller.getNumBytesAsUTF8(), true),
                      9,
                      "Package/QX4 Tessel Max Setup.success.exe",
                      juce::Time::getCurrentTime());
    const auto tesselMax = world.served / "tesselmax/TesselMax 2.1.zip";
    tesselMax.deleteFile();
    {
        juce::FileOutputStream out (tesselMax);
        builder.writeToStream (out, nullptr);
    }

    world.publishArchive ("qx4/HubDriver_4.2_x64.zip", "QX4 Driver Setup.silent.exe");
    const auto driverHash = juce::SHA256 (world.served / "qx4/HubDriver_4.2_x64.zip").toHexString();
    const auto listedHash = juce::String::repeatedString ("ab", 32);
    world.served.write (listName, deviceList.replace ("file=\"tesselmax/", "sha256=\"" + juce::SHA256 (tesselMax).toHexString().toUpperCase() + "\" file=\"tesselmax/").replace ("file=\"qx4/", "sha256=\"" + listedHash + "\" file=\"qx4/"));

    world.start();
    world.plug ("qx4", "0104", "QX4 Audio");
    ASSERT_TRUE (runMessageLoopUntil ([&]
                                      { return world.find ("installButton1") != nullptr; }));

    const auto requestEndsShowing = [&] (const juce::String& key)
    {
        return runMessageLoopUntil ([&]
                                    { return world.textOf ("statusLabel") == world.main->getLocalisedText (key) && ! isInstalling
                                             && world.main->getDownloadMonitor() == nullptr; },
                                    30000);
    };

    world.click ("installButton1");
    ASSERT_TRUE (requestEndsShowing ("download_error")) << world.log.getLines().joinIntoString ("\n");
    EXPECT_EQ (world.log.countContaining ("<handleDownloadResult> The package is not the one the device list describes: SHA-256 "
                                          + driverHash + " received, " + listedHash + " expected"),
               1);
    EXPECT_FALSE ((world.host / "Temp/VelmoraTmp/HubDriver_4.2_x64.zip").exists());
    EXPECT_FALSE ((world.host / "Temp/VelmoraTmp/HubDriver_4.2_x64").exists()) << "never unpacked";

    world.click ("installButton0");
    ASSERT_TRUE (requestEndsShowing ("not_signed")) << world.log.getLines().joinIntoString ("\n");
    EXPECT_EQ (world.log.countContaining ("<handleDownloadResult> The package has the SHA-256 the device list gives: "), 1);
    EXPECT_TRUE (world.log.contains ("<MainComponent::changeListenerCallback> Install failed"));
    EXPECT_EQ (world.log.countContaining ("<InstallerSignature> Not signed by the maker, not started: "), 1);
    EXPECT_EQ (world.log.countContaining ("; verdict 0x800B0100 (TRUST_E_NOSIGNATURE), signer (none)"), 1);

    const auto installer = world.host / "Temp/VelmoraTmp/TesselMax 2.1/Package/QX4 Tessel Max Setup.success.exe";
    EXPECT_FALSE (installer.exists()) << "removed";
    EXPECT_TRUE (FakeInstaller::readRuns (installer).empty()) << "never started";
    EXPECT_FALSE ((world.host / "Program Files/Velmora/QX4 Tessel Max").exists());
    ASSERT_NE (world.find<juce::Button> ("installButton0"), nullptr);
    EXPECT_TRUE (world.find<juce::Button> ("installButton0")->isEnabled());
}
