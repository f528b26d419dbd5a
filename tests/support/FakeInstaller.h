#pragma once

#include <juce_core/juce_core.h>

#include "devices/DeploymentSettings.h"
#include "support/InstallerRecords.h"
#include "support/SimulatedHostFolder.h"

#include <csignal>

/** The project's fake installer (tools/fake_installer.py): placing copies of
    it, reading what its runs recorded, and making sure none outlives a test.
*/
namespace FakeInstaller
{
inline juce::File getScript() { return juce::File (STRATOSET_TOOLS_DIR).getChildFile ("fake_installer.py"); }

/** A copy at `file` without execute permission, as a download would be.
    Its page sequence follows from its name: "<title>.<scenario>.exe".
*/
inline juce::File placeAt (const juce::File& file)
{
    file.getParentDirectory().createDirectory();
    file.replaceWithText (getScript().loadFileAsString(), false, false, "\n");
    return file;
}

/** A ZIP package at `file` holding a copy of the fake installer as
    "Package/<installerName>", as the maker's server would offer it.
*/
inline juce::File writeArchive (const juce::File& file, const juce::String& installerName)
{
    juce::ZipFile::Builder builder;
    const auto script = getScript().loadFileAsString();
    builder.addEntry (new juce::MemoryInputStream (script.toRawUTF8(), script.getNumBytesAsUTF8(), true), 9, "Package/" + installerName, juce::Time::getCurrentTime());

    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream out (file);
    builder.writeToStream (out, nullptr);
    return file;
}

/** The name the maker signs with: the first of this build's publisher names. */
inline juce::String makersName() { return DeploymentSettings::getPublisherNames()[0]; }

/** The simulated host in `hostFolder` takes every copy of the fake
    installer for a program the maker signed.
*/
inline void signAsMaker (const juce::File& hostFolder)
{
    juce::MemoryBlock script;
    getScript().loadFileAsData (script);
    SimulatedHostFolder::describeSignature (hostFolder, script, "signed by " + makersName());
}

using InstallerRecords::readRuns;
using InstallerRecords::Run;

/** Waits until every installer that launchInstaller started has ended. */
inline bool waitForInstallersToEnd (int timeoutMs = 30000)
{
    return InstallerRecords::waitForInstallersToEnd (timeoutMs);
}

/** At the end of a test: stops the owners of dialogs still shown on the
    host, then waits for every started installer to end.
*/
class EndGuard
{
public:
    explicit EndGuard (const juce::File& hostFolderToUse) : hostFolder (hostFolderToUse) {}

    ~EndGuard()
    {
        for (const auto& window : hostFolder.getChildFile ("windows").findChildFiles (juce::File::findFiles, false, "*.window"))
            if (const auto owner = (int) juce::JSON::parse (window.loadFileAsString()).getProperty ("owner", 0); owner > 0)
                ::kill (owner, SIGTERM);

        waitForInstallersToEnd();
    }

private:
    juce::File hostFolder;
};
} // namespace FakeInstaller
