#include "download/DriverStoreCheck.h"

#include "base/DetachedThread.h"
#include "devices/HostSystem.h"

namespace DriverStoreCheck
{
namespace
{
    constexpr const char* tag = "<InterfaceComponent::buttonClicked> ";

    // pnputil normally ends within a second; a stuck one is not waited for
    // beyond this before its output is read.
    constexpr int pnputilWaitMs = 2000;
} // namespace

bool isDriverPackage (const juce::String& buttonText, const juce::String& pluginCaption)
{
    return ! juce::StringArray { "KeyWeave", "Vortex Deck", "Tessel Max", pluginCaption, "Plugin" }.contains (buttonText);
}

juce::String matchKeyFor (const juce::String& deviceName)
{
    return deviceName.removeCharacters (" _").toLowerCase();
}

std::vector<Match> findPackages (const juce::StringArray& listingLines, const juce::String& key)
{
    std::vector<Match> matches;
    juce::String previous;

    for (const auto& line : listingLines)
    {
        if (! line.contains (".inf"))
            continue;

        // pnputil pads its columns; a trailing blank would leave no name.
        const auto name = line.trimEnd().fromLastOccurrenceOf (" ", false, false);

        if (name.contains ("velmora_") && name.removeCharacters ("_").contains (key))
            matches.push_back ({ name, previous });

        previous = name;
    }

    return matches;
}

juce::String pnputilPath (const juce::String& systemToolFolder)
{
    return systemToolFolder + juce::File::getSeparatorString() + "pnputil.exe";
}

juce::String deleteCommand (const juce::String& systemToolFolder, const juce::String& publishedName)
{
    return pnputilPath (systemToolFolder) + " /delete-driver " + publishedName + " /uninstall /force";
}

void run (const juce::String& deviceName, const juce::String& buttonText, const juce::String& pluginCaption)
{
    if (! isDriverPackage (buttonText, pluginCaption))
    {
        juce::Logger::writeToLog (juce::String (tag) + "KeyWeave and Vortex Deck has no driver");
        return;
    }

    const auto toolFolder = getSystemToolFolder();
    const auto program = pnputilPath (toolFolder);
    juce::ChildProcess pnputil;

    // Outside Windows a program that is missing still "starts" (its exec
    // fails later), so a missing file counts as a failed start here.
    if (! juce::File::createFileWithoutCheckingPath (program).existsAsFile()
        || ! pnputil.start (juce::StringArray { program, "/enum-drivers" },
                            juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
    {
        juce::Logger::writeToLog (juce::String (tag) + "can't run pnputil /enum-drivers!");
        return;
    }

    // A pnputil that has not ended by then is not waited for any longer:
    // what it wrote so far is read, and it is stopped so the read ends.
    if (! pnputil.waitForProcessToFinish (pnputilWaitMs))
        pnputil.kill();

    const auto lines = juce::StringArray::fromLines (pnputil.readAllProcessOutput());

    const auto key = matchKeyFor (deviceName);
    juce::Logger::writeToLog (juce::String (tag) + "try to uninstall driver, match by " + key);

    const auto matches = findPackages (lines, key);

    for (const auto& match : matches)
    {
        juce::Logger::writeToLog ("found: " + match.fileName + " - " + match.publishedName);
        juce::Logger::writeToLog (deleteCommand (toolFolder, match.publishedName));
    }

    if (matches.empty())
        juce::Logger::writeToLog (juce::String (tag) + "there's no corresponding driver available");
}

void runInBackground (const juce::String& deviceName, const juce::String& buttonText, const juce::String& pluginCaption)
{
    const auto check = [deviceName, buttonText, pluginCaption]
    { run (deviceName, buttonText, pluginCaption); };

    if (! runOnDetachedThread (check))
        check();
}
} // namespace DriverStoreCheck
