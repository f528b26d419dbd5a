#include "download/DownloadResultHandling.h"

#include "core/ProcessState.h"
#include "devices/HostSystem.h"
#include "download/InstallerLauncher.h"
#include "download/StatusText.h"

namespace
{
constexpr const char* noInstallerFound = "<DownloadMonitor::handleDownloadResult> Can't find .exe after uncompress!";

/** Unpacks the archive beside itself, entry by entry so that a stop comes
    between two of them; the installer in it, or a non-existent File when
    there is none (or the unpacking was stopped).
*/
juce::File unpackAndPickInstaller (const juce::File& archive, const std::function<bool()>& shouldStop)
{
    juce::Logger::writeToLog ("<handleDownloadResult> Detected ZIP file: " + archive.getFileName());

    juce::ZipFile zip (archive);

    const auto folder = archive.getSiblingFile (archive.getFileNameWithoutExtension());

    if (! folder.isDirectory())
        folder.createDirectory();

    // Entries that would land outside the folder are refused by JUCE; what
    // could not be unpacked simply leaves no candidate behind.
    for (int i = 0; i < zip.getNumEntries(); ++i)
    {
        if (shouldStop != nullptr && shouldStop())
            return {};

        zip.uncompressEntry (i, folder, true);
    }

    // Links unpacked from the archive are not followed, so no program
    // outside the folder can become a candidate. ".exe" is matched without
    // regard to case, as Windows matches it.
    juce::Array<juce::File> candidates;

    if (folder.isDirectory())
        for (const auto& file : folder.findChildFiles (juce::File::findFiles, true, "*", juce::File::FollowSymlinks::no))
            if (file.getFileName().endsWithIgnoreCase (".exe"))
                candidates.add (file);

    if (candidates.isEmpty())
        return {};

    // The archive's own name (the unpack folder's) counts, the folders the
    // work folder lies in do not.
    return DownloadResult::pickInstaller (candidates, archive.getParentDirectory(), getSystemBitness());
}
} // namespace

namespace DownloadResult
{
juce::File pickInstaller (const juce::Array<juce::File>& candidates, const juce::File& workFolder, const juce::String& systemBitness)
{
    const juce::String arch = systemBitness == "32" ? "86" : "64";

    for (const auto& candidate : candidates)
    {
        const auto path = candidate.getFullPathName();
        const auto pathInWorkFolder = candidate.getRelativePathFrom (workFolder);

        if ((pathInWorkFolder.contains ("x86") || pathInWorkFolder.contains ("x64")) && ! pathInWorkFolder.contains (arch))
        {
            juce::Logger::writeToLog ("<DownloadMonitor::handleDownloadResult> This one not match: " + path);
            continue;
        }

        const auto name = candidate.getFileName().removeCharacters (" ").toLowerCase();

        if (candidates.size() == 1)
        {
            juce::Logger::writeToLog ("<DownloadMonitor::handleDownloadResult> Only single one .exe: " + name);
            juce::Logger::writeToLog ("<DownloadMonitor::handleDownloadResult> matched: " + path);
            return candidate;
        }

        if (name.contains ("setup"))
        {
            juce::Logger::writeToLog ("<DownloadMonitor::handleDownloadResult> Found setup.exe, must be driver-only");
            juce::Logger::writeToLog ("<DownloadMonitor::handleDownloadResult> matched: " + path);
            return candidate;
        }
    }

    return {};
}

bool reportsOwnOutcome (const Selection& selection, const SharedSettings& settings)
{
    const auto& software = selection.softwareName;

    // The dialogs of these two are still being answered when the installer
    // has started: the dialog watch has the last word.
    if ((software == "Driver" && isEnQx3) || (software == "KeyWeave" && ! isOldKeyWeave))
        return false;

    if (software == "Driver" || software == "KeyWeave" || software == "Vortex Deck" || software == "Plugin")
        return true;

    return software == "Tessel Max" && settings.region == "en" && (! isNotQt || noDriverIncluded);
}

Launch unpackAndLaunch (const juce::URL& url,
                        const juce::File& targetFile,
                        const Selection& selection,
                        const std::function<bool()>& shouldStop)
{
    Launch launch;
    auto installer = targetFile;

    if (url.getFileName().endsWithIgnoreCase ("zip"))
    {
        installer = unpackAndPickInstaller (targetFile, shouldStop);

        if (installer == juce::File())
        {
            juce::Logger::writeToLog (noInstallerFound);
            return launch;
        }
    }

    if (shouldStop != nullptr && shouldStop())
        return launch;

    launch.run = startInstaller (selection.region, selection.softwareName, installer.getFullPathName());
    launch.kind = launch.run != nullptr ? Launch::Kind::started : Launch::Kind::notStarted;
    launch.installer = installer;

    lastInstallerPath = installer.getFullPathName();
    return launch;
}

juce::String settledStatus (const Launch& launch)
{
    switch (launch.kind)
    {
        case Launch::Kind::noInstaller:
            return StatusText::downloadError;

        case Launch::Kind::notStarted:
            return StatusText::installError;

        case Launch::Kind::started:
            break;
    }

    if (launch.run != nullptr && launch.run->hasEnded() && ! InstallerRun::meansInstalled (launch.run->getExitCode()))
    {
        juce::Logger::writeToLog ("<DownloadMonitor::timerCallback> The installer ended with code " + juce::String (launch.run->getExitCode()));
        return StatusText::installError;
    }

    return StatusText::installed;
}
} // namespace DownloadResult
