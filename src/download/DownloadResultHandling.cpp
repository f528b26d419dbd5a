#include "download/DownloadResultHandling.h"

#include "core/ProcessState.h"
#include "devices/HostSystem.h"
#include "download/InstallerLauncher.h"
#include "download/StatusText.h"

namespace
{
constexpr const char* noInstallerFound = "<DownloadMonitor::handleDownloadResult> Can't find .exe after uncompress!";

/** Unpacks the archive beside itself; the installer in it, or a
    non-existent File when there is none.
*/
juce::File unpackAndPickInstaller (const juce::File& archive)
{
    juce::Logger::writeToLog ("<handleDownloadResult> Detected ZIP file: " + archive.getFileName());

    juce::ZipFile zip (archive);

    const auto folder = archive.getSiblingFile (archive.getFileNameWithoutExtension());

    if (! folder.isDirectory())
        folder.createDirectory();

    // Entries that would land outside the folder are refused by JUCE; what
    // could not be unpacked simply leaves no candidate behind.
    zip.uncompressTo (folder, true);

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

    return DownloadResult::pickInstaller (candidates, folder, getSystemBitness());
}
} // namespace

namespace DownloadResult
{
juce::File pickInstaller (const juce::Array<juce::File>& candidates, const juce::File& folder, const juce::String& systemBitness)
{
    const juce::String arch = systemBitness == "32" ? "86" : "64";

    for (const auto& candidate : candidates)
    {
        const auto path = candidate.getFullPathName();
        const auto pathInArchive = candidate.getRelativePathFrom (folder);

        if ((pathInArchive.contains ("x86") || pathInArchive.contains ("x64")) && ! pathInArchive.contains (arch))
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

    if (software == "Driver" || software == "KeyWeave" || software == "Vortex Deck" || software == "Plugin")
        return true;

    return software == "Tessel Max" && settings.region == "en" && (! isNotQt || noDriverIncluded);
}

void handle (const juce::URL& url,
             const juce::File& targetFile,
             const Selection& selection,
             const SharedSettings& settings,
             const std::function<void (const juce::String&)>& statusCallback)
{
    auto installer = targetFile;

    if (url.getFileName().endsWithIgnoreCase ("zip"))
    {
        installer = unpackAndPickInstaller (targetFile);

        if (installer == juce::File())
        {
            juce::Logger::writeToLog (noInstallerFound);
            statusCallback (StatusText::downloadError);
            return;
        }
    }

    const auto started = launchInstaller (selection.region, selection.softwareName, installer.getFullPathName());

    lastInstallerPath = installer.getFullPathName();

    if (! reportsOwnOutcome (selection, settings))
        return;

    if (started)
    {
        juce::Thread::sleep (settleTimeMs);
        statusCallback (StatusText::installed);
    }
    else
    {
        statusCallback (StatusText::installError);
    }
}
} // namespace DownloadResult
