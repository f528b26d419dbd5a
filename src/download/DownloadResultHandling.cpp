#include "download/DownloadResultHandling.h"

#include "base/ProcessState.h"
#include "devices/HostSystem.h"
#include "download/DiskSpace.h"
#include "download/InstallerLauncher.h"
#include "download/InstallerSignature.h"
#include "download/StatusText.h"
#include "download/ZipIntegrity.h"

#include <juce_cryptography/juce_cryptography.h>

#include <cstring>

namespace
{
constexpr const char* noInstallerFound = "<DownloadMonitor::handleDownloadResult> Can't find .exe after uncompress!";

/** Whether an archive entry's name can be used as a path at all. JUCE takes
    the name's bytes as UTF-8 without checking them, and a name that is not
    UTF-8 sends its path functions past the end of the text or into endless
    recursion; control characters have no place in a file name either.
*/
bool isReadableEntryName (const juce::String& name)
{
    const auto* bytes = name.toRawUTF8();

    if (name.isEmpty() || ! juce::CharPointer_UTF8::isValidString (bytes, (int) std::strlen (bytes)))
        return false;

    for (auto character = name.getCharPointer(); ! character.isEmpty(); ++character)
    {
        const auto c = *character;

        if (c < 0x20 || c == 0x7f || (c >= 0xd800 && c <= 0xdfff) || c > 0x10ffff)
            return false;
    }

    return true;
}

/** A stream that ends early once a stop is asked for, so that hashing a
    large file does not hold up whoever stops the work.
*/
class StoppableInputStream final : public juce::InputStream
{
public:
    StoppableInputStream (juce::InputStream& sourceToRead, const std::function<bool()>& shouldStopToAsk)
        : source (sourceToRead), shouldStop (shouldStopToAsk) {}

    bool wasStopped() const { return stopped; }

    juce::int64 getTotalLength() override { return source.getTotalLength(); }
    bool isExhausted() override { return stopped || source.isExhausted(); }
    juce::int64 getPosition() override { return source.getPosition(); }
    bool setPosition (juce::int64 position) override { return source.setPosition (position); }

    int read (void* destination, int maxBytes) override
    {
        if (shouldStop != nullptr && shouldStop())
            stopped = true;

        return stopped ? 0 : source.read (destination, maxBytes);
    }

private:
    juce::InputStream& source;
    const std::function<bool()>& shouldStop;
    bool stopped = false;
};

/** Where JUCE's ZipFile::uncompressEntry writes an entry: elsewhere than on
    Windows, a backslash in its name separates folders as well.
*/
juce::File entryTarget (const juce::File& folder, const juce::String& entryName)
{
#if JUCE_WINDOWS
    return folder.getChildFile (entryName);
#else
    return folder.getChildFile (entryName.replaceCharacter ('\\', '/'));
#endif
}
} // namespace

namespace DownloadResult
{
Unpacked unpackAndPickInstaller (const juce::File& archive, const std::function<bool()>& shouldStop)
{
    const auto tag = juce::String ("<handleDownloadResult> ");
    juce::Logger::writeToLog (tag + "Detected ZIP file: " + archive.getFileName());

    juce::ZipFile zip (archive);

    const auto folder = archive.getSiblingFile (archive.getFileNameWithoutExtension());

    // The archive's own word on each entry: JUCE unpacks without looking at it.
    const auto declared = [&archive]
    {
        juce::FileInputStream in (archive);
        return in.openedOk() ? ZipIntegrity::readCentralDirectory (in) : std::vector<ZipIntegrity::DeclaredEntry>();
    }();

    Unpacked failure;
    failure.failed = true;

    // Whatever was written, and the archive itself: a package that could not
    // be unpacked whole leaves nothing behind to be mistaken for one.
    const auto removePackage = [&]
    {
        folder.deleteRecursively (false);
        archive.deleteFile();
        juce::Logger::writeToLog (tag + "Removed " + archive.getFileName() + " and what was unpacked from it");
    };

    // The entries to unpack; the others are never written.
    std::vector<int> toUnpack;
    std::vector<juce::int64> sizes;

    for (int i = 0; i < zip.getNumEntries(); ++i)
    {
        const auto* entry = zip.getEntry (i);

        if (entry == nullptr || ! isReadableEntryName (entry->filename))
        {
            juce::Logger::writeToLog (tag + "Skipped entry " + juce::String (i) + ": its name is not a readable file name");
            continue;
        }

        // An installer package has no use for links, and JUCE reads a link's
        // target whole into memory, as large as the entry claims to be.
        if (entry->isSymbolicLink)
        {
            juce::Logger::writeToLog (tag + "Skipped entry " + juce::String (i) + ": a link");
            continue;
        }

        // JUCE refuses these; what could not be unpacked simply leaves no
        // candidate behind.
        if (! entryTarget (folder, entry->filename).isAChildOf (folder))
        {
            juce::Logger::writeToLog (tag + "Skipped entry " + juce::String (i) + ": it would land outside " + folder.getFileName());
            continue;
        }

        // Entry i of the central directory must be the one JUCE lists as i,
        // or its CRC-32 says nothing about it.
        if ((size_t) i >= declared.size() || declared[(size_t) i].filename != entry->filename
            || declared[(size_t) i].uncompressedSize != entry->uncompressedSize)
        {
            juce::Logger::writeToLog (tag + "Failed to unpack entry " + juce::String (i) + " (" + entry->filename + "): the archive's directory does not describe it");
            removePackage();
            return failure;
        }

        toUnpack.push_back (i);
        sizes.push_back (entry->uncompressedSize);
    }

    // Before anything is written: a package that cannot fit (a ZIP bomb
    // among them) never fills the disk.
    const auto needed = DiskSpace::neededFor (sizes);
    const auto freeBytes = archive.getParentDirectory().getBytesFreeOnVolume();

    if (! DiskSpace::fits (needed, freeBytes))
    {
        juce::Logger::writeToLog (tag + "Not enough disk space to unpack " + archive.getFileName() + ": "
                                  + juce::String (needed) + " bytes needed, " + juce::String (freeBytes) + " bytes free");
        removePackage();
        failure.diskFull = true;
        return failure;
    }

    if (! folder.isDirectory())
        folder.createDirectory();

    for (const auto i : toUnpack)
    {
        if (shouldStop != nullptr && shouldStop())
        {
            removePackage();
            Unpacked stopped;
            stopped.stopped = true;
            return stopped;
        }

        const auto& entry = declared[(size_t) i];
        const auto target = entryTarget (folder, entry.filename);
        const auto isFolder = entry.filename.endsWithChar ('/') || entry.filename.endsWithChar ('\\');

        const auto result = zip.uncompressEntry (i, folder, true);
        const auto problem = result.failed() ? result.getErrorMessage()
                                             : (isFolder ? juce::String() : ZipIntegrity::checkUnpackedFile (target, entry));

        if (problem.isEmpty())
            continue;

        // Asked before anything is removed: the room left now is what the
        // writes met.
        const auto written = target.existsAsFile() ? target.getSize() : (juce::int64) 0;
        failure.diskFull = DiskSpace::ranOut (entry.uncompressedSize - written, folder.getBytesFreeOnVolume());

        juce::Logger::writeToLog (tag + "Failed to unpack entry " + juce::String (i) + " (" + entry.filename + "): " + problem
                                  + (failure.diskFull ? ", the disk is full" : ""));
        removePackage();
        return failure;
    }

    // No link is unpacked, and none is followed, so no program outside the
    // folder can become a candidate. ".exe" is matched without regard to
    // case, as Windows matches it.
    juce::Array<juce::File> candidates;

    if (folder.isDirectory())
        for (const auto& file : folder.findChildFiles (juce::File::findFiles, true, "*", juce::File::FollowSymlinks::no))
            if (file.getFileName().endsWithIgnoreCase (".exe"))
                candidates.add (file);

    if (candidates.isEmpty())
        return {};

    // The archive's own name (the unpack folder's) counts, the folders the
    // work folder lies in do not.
    Unpacked unpacked;
    unpacked.installer = pickInstaller (candidates, archive.getParentDirectory(), getSystemBitness());
    return unpacked;
}

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

bool hasSha256 (const juce::File& file, const juce::String& expected, const std::function<bool()>& shouldStop)
{
    juce::FileInputStream in (file);

    if (! in.openedOk())
    {
        juce::Logger::writeToLog ("<handleDownloadResult> The package could not be read for its SHA-256: " + file.getFullPathName());
        return false;
    }

    StoppableInputStream stoppable (in, shouldStop);
    const auto actual = juce::SHA256 (stoppable).toHexString();

    if (stoppable.wasStopped())
        return false;

    if (actual.equalsIgnoreCase (expected.trim()))
        return true;

    juce::Logger::writeToLog ("<handleDownloadResult> The package is not the one the device list describes: SHA-256 "
                              + actual + " received, " + expected + " expected (" + file.getFileName() + ")");
    return false;
}

Launch unpackAndLaunch (const juce::URL& url,
                        const juce::File& targetFile,
                        const Selection& selection,
                        const std::function<bool()>& shouldStop)
{
    Launch launch;
    auto installer = targetFile;

    // Before anything of it is unpacked or started.
    if (selection.packageSha256.isNotEmpty())
    {
        if (! hasSha256 (targetFile, selection.packageSha256, shouldStop))
        {
            if (shouldStop == nullptr || ! shouldStop())
                launch.kind = Launch::Kind::wrongPackage;

            targetFile.deleteFile();
            return launch;
        }

        juce::Logger::writeToLog ("<handleDownloadResult> The package has the SHA-256 the device list gives: " + selection.packageSha256);
    }

    if (url.getFileName().endsWithIgnoreCase ("zip"))
    {
        const auto unpacked = unpackAndPickInstaller (targetFile, shouldStop);

        if (unpacked.failed)
        {
            launch.kind = Launch::Kind::unpackFailed;
            launch.diskFull = unpacked.diskFull;
            return launch;
        }

        if (unpacked.stopped)
            return launch;

        installer = unpacked.installer;

        if (installer == juce::File())
        {
            juce::Logger::writeToLog (noInstallerFound);
            return launch;
        }
    }

    if (shouldStop != nullptr && shouldStop())
        return launch;

    launch.installer = installer;

    // Held from the check until its process has started.
    const auto checked = InstallerSignature::holdIfMakers (installer);

    if (checked.refused)
    {
        launch.kind = Launch::Kind::notSigned;
        return launch;
    }

    if (checked.program != nullptr)
        launch.run = startInstaller (selection.region, selection.softwareName, *checked.program);

    launch.kind = launch.run != nullptr ? Launch::Kind::started : Launch::Kind::notStarted;

    lastInstallerPath = installer.getFullPathName();
    return launch;
}

juce::String settledStatus (const Launch& launch)
{
    switch (launch.kind)
    {
        case Launch::Kind::noInstaller:
        case Launch::Kind::wrongPackage:
            return StatusText::downloadError;

        case Launch::Kind::unpackFailed:
            return StatusText::unzipError;

        case Launch::Kind::notSigned:
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
