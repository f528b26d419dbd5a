#include "core/MainComponent.h"

#include "base/DetachedThread.h"
#include "base/ProcessState.h"
#include "core/CatalogueAssembly.h"
#include "core/DeviceWatch.h"
#include "core/ShortcutSearch.h"
#include "devices/DeploymentSettings.h"
#include "devices/DeviceListDownload.h"
#include "devices/DeviceListFormat.h"
#include "devices/HostSystem.h"
#include "devices/ServerAddresses.h"
#include "devices/UsbDetection.h"
#include "download/DownloadMonitor.h"
#include "download/DownloadStore.h"
#include "download/StatusText.h"
#include "download/WorkFolder.h"
#include "platform/ProgramStartService.h"
#include "platform/ShellFolderService.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/LocalisedStrings.h"

MainComponent::MainComponent()
{
    settings = &getSharedSettings();
    uiLanguage = settings->region;

    strings = LocalisedStrings::parseEmbeddedTable();

    // What copies that ended without tidying up left behind, then a folder
    // of this copy's own, held for as long as it runs.
    WorkFolder::removeStale (settings->tempFolder);
    workFolder = WorkFolder::claim (settings->tempFolder);
    DownloadStore (getDownloadStoreFolder (*settings)).prune (juce::Time::getCurrentTime(), DownloadStore::defaultMaxAge(), DownloadStore::defaultMaxBytes);
    installLock = std::make_unique<InstallLock> (settings->tempFolder);

    // The list is fetched in the background: the window opens at once, and
    // the watch's ticks take the attempt's end.
    downloadXml();

    addAndMakeVisible (interfaceComponent);
    interfaceComponent.addChangeListener (this);

    lookAndFeel = std::make_unique<CustomLookAndFeel>();
    juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel.get());

    setSize (600, 400);
    startTimer (500);
}

MainComponent::~MainComponent()
{
    interfaceComponent.removeChangeListener (this);

    // A running download stops before its folder goes, so nothing is written
    // into the folder while it is removed; so does a list attempt.
    downloadMonitor.reset();
    listFetch.reset();
    installLock->release();

    listFile.deleteFile();

    // Only this copy's own folder: other copies may be working in theirs.
    workFolder.reset();

    // It may only go once it is no longer the default.
    if (&juce::LookAndFeel::getDefaultLookAndFeel() == lookAndFeel.get())
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    lookAndFeel.reset();
}

void MainComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}

void MainComponent::resized()
{
    interfaceComponent.setBounds (0, 0, getWidth(), getHeight());
}

//==============================================================================
void MainComponent::obtainDetected()
{
    if (! lastPids.isEmpty())
        juce::Logger::writeToLog ("\n");

    // One reading of the list serves every device; a list that cannot be
    // read is left to each database to report.
    const auto root = lastPids.isEmpty() ? nullptr : DeviceListFormat::parseListFile (listFile);

    for (const auto& pid : lastPids)
    {
        juce::Logger::writeToLog ("<MainComponent> got device PID: " + pid);

        if (root != nullptr)
            databases.emplace_back (*root, pid);
        else
            databases.emplace_back (listFile, pid);
    }

    CatalogueAssembly::rebuild (databases, deviceNames, driverTypes, driverData, pictures, false);
    interfaceComponent.setDeviceData (deviceNames, driverTypes, driverData, pictures);
}

void MainComponent::obtainAll()
{
    if (! listFile.existsAsFile())
    {
        juce::Logger::writeToLog ("MainComponent > XML file does not exist! (" + listFile.getFullPathName() + ")");
        interfaceComponent.showNothingOffered();
        return;
    }

    const auto root = DeviceListFormat::parseListFile (listFile);

    if (root == nullptr)
    {
        juce::Logger::writeToLog ("MainComponent > Invalid XML file or wrong root element!");
        interfaceComponent.showNothingOffered();
        return;
    }

    // Document order: the devices are offered in the order the list names them.
    const auto pids = CatalogueAssembly::collectProductIds (*root);
    databases.reserve (databases.size() + (size_t) pids.size());

    for (const auto& pid : pids)
        databases.emplace_back (*root, pid);

    CatalogueAssembly::rebuild (databases, deviceNames, driverTypes, driverData, pictures, true);

    if (! deviceNames.isEmpty())
        interfaceComponent.setDeviceData (deviceNames, driverTypes, driverData, pictures);
    else
        interfaceComponent.showNothingOffered();

    juce::Logger::writeToLog ("<MainComponent::obtainAll> obtain " + juce::String (deviceNames.size()) + " devices");
}

//==============================================================================
void MainComponent::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source != &interfaceComponent)
        return;

    if (isInstalling)
    {
        juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> Already installing, ignore new request");
        return;
    }

    auto selection = interfaceComponent.getSelection();

    if (manualModeActive && selection.deviceName.isEmpty())
    {
        juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> Interface calling for manual selection mode!");
        obtainAll();
        return;
    }

    // One installer at a time among the copies of this user: a request
    // that finds another copy installing ends at once, its buttons back.
    if (! installLock->tryTake())
    {
        juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> Another copy is installing, request ended: " + selection.softwareName);
        interfaceComponent.updateStatus (StatusText::anotherCopyInstalling);
        return;
    }

    isInstalling = true;
    selectedSoftware = selection.softwareName;
    selection.packageSha256 = CatalogueAssembly::findPackageSha256 (databases, selection.url);

    juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> selection: " + selection.deviceName + " " + selection.softwareName + " "
                              + selection.region + " " + selection.language + " " + selection.url);

    // The folder could not be made at the start (a full or read-only disk):
    // once more now.
    if (workFolder == nullptr)
        workFolder = WorkFolder::claim (settings->tempFolder);

    // Without a folder of its own the request fails at its first write, as
    // it would in a folder that could not be created.
    const auto tmpDir = workFolder != nullptr ? workFolder->getFolder() : settings->tempFolder.getChildFile (WorkFolder::namePrefix);

    if (workFolder == nullptr)
        juce::Logger::writeToLog ("create tmpDir failed!");

    const juce::Component::SafePointer<MainComponent> safeThis (this);
    const auto request = interfaceComponent.getCurrentRequest();

    const auto reportStatus = [this, safeThis, selection, request] (const juce::String& status)
    {
        // On the message thread, or on the download thread holding the
        // message lock. A status of a request that another one has followed
        // (a Retry, say) is only logged.
        if (! interfaceComponent.isCurrentRequest (request))
        {
            juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> A newer request runs, the status is dropped: " + status);
            return;
        }

        interfaceComponent.updateStatus (status);

        const auto react = [safeThis, selection, status, request]
        {
            if (safeThis != nullptr && safeThis->interfaceComponent.isCurrentRequest (request))
                safeThis->handleStatus (selection, status);
        };

        juce::MessageManager::callAsync (react);
    };

    startDownload (selection, tmpDir.getFullPathName(), reportStatus);
}

void MainComponent::startDownload (const Selection& selection,
                                   const juce::String& tmpDirPath,
                                   std::function<void (const juce::String&)> reportStatus)
{
    const juce::Component::SafePointer<MainComponent> safeThis (this);
    auto monitor = std::make_shared<DownloadMonitor*>();

    // After a final status the monitor goes 100 ms later, never from inside
    // its own callback; and only this monitor, should a new request have
    // started meanwhile.
    const auto letGo = [safeThis, monitor]
    {
        if (safeThis != nullptr && safeThis->downloadMonitor.get() == *monitor)
            safeThis->downloadMonitor.reset();
    };

    const auto onStatus = [safeThis, letGo, reportStatus] (const juce::String& status)
    {
        if (StatusText::isTerminal (status) && safeThis != nullptr)
            safeThis->monitorRelease.callAfter (100, letGo);

        reportStatus (status);
    };

    downloadMonitor = std::make_unique<DownloadMonitor> (selection, tmpDirPath, onStatus);
    *monitor = downloadMonitor.get();
}

void MainComponent::handleStatus (const Selection& selection, const juce::String& status)
{
    // The interface has ended the request (or a new one holds the lock again).
    if (! isInstalling)
        installLock->release();

    if (status == StatusText::downloadError)
        juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> Download failed");
    else if (status == StatusText::installError)
        juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> Install failed");
    else if (status == StatusText::softwareExist)
        juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> Software exist");
    else if (status == StatusText::installed)
    {
        juce::Logger::writeToLog ("<MainComponent::changeListenerCallback> Installed");

        // An installer may still be writing its shortcuts as its last page
        // closes: they are looked for a moment later, for this request's
        // package even if a new request has begun meanwhile.
        const auto lookForShortcut = [this, software = selection.softwareName]
        {
            if (const auto program = ShortcutSearch::findInstalledProgram (software))
                offerToLaunch (*program, software);
        };

        launchOffer.callAfter (shortcutPauseMs, lookForShortcut);
    }
}

void MainComponent::offerToLaunch (const juce::File& program, const juce::String& software)
{
    offeredProgram = program;

    auto onAnswer = [program] (int answer)
    {
        // The shell may take seconds to return from a start (waiting for the
        // program to come up, or checking where it came from): that wait is
        // a thread's of its own, never the window's. The program starts in
        // its own folder; the process's folder stays as it was.
        if (answer == 1)
            runOnDetachedThread ([program]
                                 { platform::programStarter().launch (program); });
    };

    juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::QuestionIcon,
                                        " ",
                                        software + getLocalisedText ("upper_ready"),
                                        getLocalisedText ("yes"),
                                        getLocalisedText ("no"),
                                        this,
                                        juce::ModalCallbackFunction::create (onAnswer));
}

//==============================================================================
void MainComponent::timerCallback()
{
    if (! deviceListValid && ! watchForList())
        return;

    const auto pids = DeviceWatch::sorted (scanConnectedProductIds());

    switch (DeviceWatch::decide (pids, lastPids, declinedPids, manualModeActive, isInstalling))
    {
        case DeviceWatch::Action::nothing:
            return;

        case DeviceWatch::Action::askToLeaveManualMode:
            askToLeaveManualMode (pids);
            return;

        case DeviceWatch::Action::rebuild:
            break;
    }

    if (! lastPids.isEmpty() && pids.isEmpty())
        juce::Logger::writeToLog ("<MainComponent::timerCallback> no device connected...");

    // The OS-update hint comes once per set of devices plugged in, not again
    // for the spell without any.
    if (pids != lastPids && ! pids.isEmpty())
        interfaceComponent.connectedDevicesChanged();

    lastPids = pids;
    databases.clear();
    obtainDetected();
}

void MainComponent::askToLeaveManualMode (const juce::StringArray& pids)
{
    stopTimer();

    juce::Component::SafePointer<MainComponent> safeThis (this);

    auto onAnswer = [safeThis, pids] (int answer)
    {
        if (safeThis == nullptr)
            return;

        if (answer == 1)
            manualModeActive = false;
        else
            safeThis->declinedPids = pids;

        safeThis->startTimer (500);
    };

    juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::QuestionIcon,
                                        " ",
                                        getLocalisedText ("connect_ask"),
                                        getLocalisedText ("yes"),
                                        getLocalisedText ("no"),
                                        this,
                                        juce::ModalCallbackFunction::create (onAnswer));
}

bool MainComponent::watchForList()
{
    // An attempt runs in the background; the ticks meanwhile only look at it.
    if (listFetch != nullptr)
    {
        if (! listFetch->isFinished())
            return false;

        const auto arrived = listFetch->hasArrived();
        listFetch.reset();

        if (const auto page = DeviceListDownload::finishFetch (arrived, listAddress, listFile))
        {
            pluginWebUrl = *page;
            deviceListValid = true;

            // The first attempt's list is simply there, as if fetched before
            // the window opened: this tick goes on to the devices.
            if (! listAttemptFailed)
                return true;

            interfaceComponent.updateStatus (StatusText::serverReconnect);
            juce::Logger::writeToLog ("<MainComponent::timerCallback> reconnected!");
            return false;
        }
    }

    listAttemptFailed = true;
    obtainDetected();
    interfaceComponent.updateStatus (StatusText::serverError);

    chooseListFile();
    listFetch = DeviceListDownload::startFetch (listAddress, listFile);
    return false;
}

void MainComponent::chooseListFile()
{
    listFile = DeviceListDownload::getListFileFor (platform::shellFolders().getTemporaryFolder(), juce::Time::getCurrentTime());

    listAddress = ServerAddresses::getDeviceListAddress (getDeploymentSettings(),
                                                         settings->useChinaMirror,
                                                         settings->region,
                                                         getOsName());
}

void MainComponent::downloadXml()
{
    deviceListValid = false;
    listAttemptFailed = false;
    chooseListFile();
    listFetch = DeviceListDownload::startFetch (listAddress, listFile);
}

juce::String MainComponent::getLocalisedText (const juce::String& key) const
{
    return LocalisedStrings::lookUp (strings, uiLanguage, key);
}
