#include "core/MainComponent.h"

#include "core/ProcessState.h"
#include "devices/DeploymentSettings.h"
#include "devices/DeviceListDownload.h"
#include "devices/HostSystem.h"
#include "devices/ServerAddresses.h"
#include "platform/ShellFolderService.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/LocalisedStrings.h"

MainComponent::MainComponent()
{
    settings = &getSharedSettings();
    uiLanguage = settings->region;

    strings = LocalisedStrings::parseEmbeddedTable();

    // The window opens only once the list download has ended.
    deviceListValid = downloadXml();

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

    listFile.deleteFile();

    // Symbolic links (reparse points) are removed, never followed.
    tmpDir.deleteRecursively (false);

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

void MainComponent::changeListenerCallback (juce::ChangeBroadcaster*)
{
}

void MainComponent::timerCallback()
{
}

bool MainComponent::downloadXml()
{
    listFile = DeviceListDownload::getListFileFor (platform::shellFolders().getTemporaryFolder(), juce::Time::getCurrentTime());

    const auto address = ServerAddresses::getDeviceListAddress (getDeploymentSettings(),
                                                                settings->useChinaMirror,
                                                                settings->region,
                                                                getOsName());

    return DeviceListDownload::fetch (address, listFile);
}

juce::String MainComponent::getLocalisedText (const juce::String& key) const
{
    return LocalisedStrings::lookUp (strings, uiLanguage, key);
}
