#include "core/MainComponent.h"

#include "core/ProcessState.h"
#include "ui/LocalisedStrings.h"

MainComponent::MainComponent()
{
    settings = &getSharedSettings();
    uiLanguage = settings->region;

    strings = LocalisedStrings::parseEmbeddedTable();

    setSize (600, 400);
    startTimer (500);
}

MainComponent::~MainComponent()
{
    listFile.deleteFile();

    // Symbolic links (reparse points) are removed, never followed.
    tmpDir.deleteRecursively (false);
}

void MainComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}

void MainComponent::resized()
{
}

void MainComponent::changeListenerCallback (juce::ChangeBroadcaster*)
{
}

void MainComponent::timerCallback()
{
}

juce::String MainComponent::getLocalisedText (const juce::String& key) const
{
    return LocalisedStrings::lookUp (strings, uiLanguage, key);
}
