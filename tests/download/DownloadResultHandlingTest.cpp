#include <gtest/gtest.h>

#include "base/ProcessState.h"
#include "download/DownloadResultHandling.h"
#include "download/InstallerLauncher.h"
#include "download/StatusText.h"
#include "support/FakeInstaller.h"
#include "support/LogCapture.h"
#include "support/SimulatedHostFolder.h"
#include "support/SmallVolume.h"
#include "support/ZipBytes.h"

#include <cstring>

namespace
{
using Entries = std::vector<std::pair<juce::String, juce::String>>; // stored path, content

const juce::String logTag = "<DownloadMonitor::handleDownloadResult> ";

/** A download that has just completed on a simulated 64-bit Windows host:
    the file lies in the work folder below the host's temporary folder.
*/
struct FinishedDownload
{
    explicit FinishedDownload (const juce::String& urlFileName, bool is64Bit = true)
        : url ("http://127.0.0.1:8080/files/" + urlFileName),
          file (host / ("Temp/VelmoraTmp/" + juce::URL::removeEscapeChars (urlFileName)))
    {
        host.setWow64 (is64Bit);
        FakeInstaller::signAsMaker (host.getFolder());
        file.getParentDirectory().createDirectory();
        selection.region = settings.region;
    }

    /** The download is a ZIP archive holding these entries, deflated at
        `compressionLevel` (0: stored as they are).
    */
    void makeArchive (const Entries& entries, int compressionLevel = 9) const
    {
        juce::ZipFile::Builder builder;

        for (const auto& [path, content] : entries)
            builder.addEntry (new juce::MemoryInputStream (content.toRawUTF8(), content.getNumBytesAsUTF8(), true), compressionLevel, path, juce::Time::getCurrentTime());

        juce::FileOutputStream out (file);
        out.setPosition (0);
        out.truncate();
        builder.writeToStream (out, nullptr);
    }

    /** The host takes the download, as it is now, for a program the maker signed. */
    void signAsMaker() const
    {
        juce::MemoryBlock content;
        file.loadFileAsData (content);
        host.describeSignature (content, "signed by " + FakeInstaller::makersName());
    }

    /** The folder the archive is unpacked into. */
    juce::File unpacked (const juce::String& path) const { return file.getSiblingFile (file.getFileNameWithoutExtension()).getChildFile (path); }

    /** The statuses the result handling leads to once the installer has
        settled (the monitor waits settleTimeMs; here the installer's end).
    */
    juce::StringArray handle (const juce::String& softwareName)
    {
        selection.softwareName = softwareName;
        const auto launch = DownloadResult::unpackAndLaunch (url, file, selection);
        EXPECT_TRUE (FakeInstaller::waitForInstallersToEnd());

        if (launch.kind == DownloadResult::Launch::Kind::noInstaller || launch.kind == DownloadResult::Launch::Kind::unpackFailed)
            return { DownloadResult::settledStatus (launch) };

        if (! DownloadResult::reportsOwnOutcome (selection, settings))
            return {};

        return { DownloadResult::settledStatus (launch) };
    }

    /** What the work folder holds: nothing of a package that failed. */
    juce::StringArray workFolderContent() const
    {
        juce::StringArray names;

        for (const auto& child : file.getParentDirectory().findChildFiles (juce::File::findFilesAndDirectories, false))
            names.add (child.getFileName());

        return names;
    }

    SimulatedHostFolder host;
    FakeInstaller::EndGuard guard { host.getFolder() };
    juce::URL url;
    juce::File file;
    Selection selection;
    SharedSettings settings;
    LogCapture log;
};

const auto installer = []
{ return FakeInstaller::getScript().loadFileAsString(); };
} // namespace

TEST (DownloadResultHandling, ArchiveStartsTheSetupProgramOfThisArchitecture)
{
    FinishedDownload download ("QX4%20Driver%20Package.ZIP");
    download.makeArchive ({ { "QX4 Driver/x86/Driver Setup.exe", installer() },
                            { "QX4 Driver/x64/Driver Setup.exe", installer() },
                            { "QX4 Driver/x64/Driver Setup.exe.config", "<config/>" },
                            { "QX4 Driver/readme.txt", "Read me" } });

    EXPECT_EQ (download.handle ("Driver"), juce::StringArray (StatusText::installed));

    const auto chosen = download.unpacked ("QX4 Driver/x64/Driver Setup.exe");
    EXPECT_EQ (lastInstallerPath, chosen.getFullPathName());
    EXPECT_TRUE (download.log.contains ("<handleDownloadResult> Detected ZIP file: QX4 Driver Package.ZIP"));
    EXPECT_TRUE (download.log.contains (logTag + "Found setup.exe, must be driver-only")) << "\"Driver Setup\" counts as \"setup\"";
    EXPECT_TRUE (download.log.contains (logTag + "matched: " + chosen.getFullPathName()));

    const auto runs = FakeInstaller::readRuns (chosen);
    ASSERT_EQ (runs.size(), 1u);
    EXPECT_EQ (runs[0].arguments, juce::StringArray ("/S", "/allusers"));
    EXPECT_TRUE (FakeInstaller::readRuns (download.unpacked ("QX4 Driver/x86/Driver Setup.exe")).empty());
}

TEST (DownloadResultHandling, PicksByArchitectureInTheOrderFound)
{
    LogCapture log;
    const juce::File folder ("/work/Temp/pkg");
    const juce::File x86 ("/work/Temp/pkg/x86/Setup.exe"), x64 ("/work/Temp/pkg/x64/Setup.exe"), plain ("/work/Temp/pkg/Tool.exe");

    EXPECT_EQ (DownloadResult::pickInstaller ({ x86, x64 }, folder, "64"), x64);
    EXPECT_EQ (log.getLines()[0], logTag + "This one not match: " + x86.getFullPathName());

    EXPECT_EQ (DownloadResult::pickInstaller ({ x64, x86 }, folder, "32"), x86);
    EXPECT_EQ (DownloadResult::pickInstaller ({ x86 }, folder, "64"), juce::File()) << "a single program for the other architecture";
    EXPECT_EQ (DownloadResult::pickInstaller ({ plain, x64 }, folder, "64"), x64) << "several programs: only a setup program";
    EXPECT_EQ (DownloadResult::pickInstaller ({ plain, juce::File ("/work/Temp/pkg/Editor.exe") }, folder, "64"), juce::File());

    log.clear();
    EXPECT_EQ (DownloadResult::pickInstaller ({ plain }, folder, "32"), plain);
    EXPECT_EQ (log.getLines(), juce::StringArray (logTag + "Only single one .exe: tool.exe", logTag + "matched: " + plain.getFullPathName()));

    // The work folder's own name has no say in the architecture.
    const juce::File userFolder ("/Users/Bob64/Temp/pkg");
    EXPECT_EQ (DownloadResult::pickInstaller ({ userFolder.getChildFile ("x86/Setup.exe") }, userFolder, "64"), juce::File());
    EXPECT_EQ (DownloadResult::pickInstaller ({ userFolder.getChildFile ("x64/Setup.exe") }, userFolder, "32"), juce::File());
    EXPECT_EQ (DownloadResult::pickInstaller ({ userFolder.getChildFile ("Setup.exe") }, userFolder, "32"), userFolder.getChildFile ("Setup.exe"));
}

TEST (DownloadResultHandling, ArchiveNamedForTheOtherArchitectureIsNotRunOnThisOne)
{
    // The unpack folder is named after the archive; its name counts.
    FinishedDownload on32Bit ("HubDriver_4.2_x64.zip", false);
    on32Bit.makeArchive ({ { "Setup.exe", installer() } });
    EXPECT_EQ (on32Bit.handle ("Driver"), juce::StringArray (StatusText::downloadError));
    EXPECT_TRUE (on32Bit.log.contains (logTag + "This one not match: " + on32Bit.unpacked ("Setup.exe").getFullPathName()));
    EXPECT_TRUE (FakeInstaller::readRuns (on32Bit.unpacked ("Setup.exe")).empty());

    FinishedDownload on64Bit ("HubDriver_4.2_x64.zip", true);
    on64Bit.makeArchive ({ { "Setup.exe", installer() } });
    EXPECT_EQ (on64Bit.handle ("Driver"), juce::StringArray (StatusText::installed));
}

TEST (DownloadResultHandling, SingleProgramInAnArchiveIsTakenWhateverItsName)
{
    FinishedDownload download ("KeyWeave-2.4.zip");
    download.makeArchive ({ { "bin/KeyWeave Installer.EXE", installer() }, { "bin/notes.txt", "notes" } });

    EXPECT_EQ (download.handle ("KeyWeave"), juce::StringArray()) << "the current KeyWeave's dialogs are watched";
    EXPECT_TRUE (download.log.contains (logTag + "Only single one .exe: keyweaveinstaller.exe"));

    const auto runs = FakeInstaller::readRuns (download.unpacked ("bin/KeyWeave Installer.EXE"));
    ASSERT_EQ (runs.size(), 1u);
    EXPECT_EQ (runs[0].arguments, juce::StringArray ("/silent", "/allusers"));
}

TEST (DownloadResultHandling, ArchiveWithoutAProgramToRunIsADownloadError)
{
    const std::pair<const char*, Entries> archives[] = {
        { "several programs, none a setup", { { "Editor.exe", installer() }, { "Helper.exe", installer() } } },
        { "only the other architecture", { { "x86/Setup.exe", installer() } } },
        { "no program", { { "readme.txt", "Read me" } } },
        { "outside the folder", { { "../Setup.exe", installer() } } },
    };

    for (const auto& [what, entries] : archives)
    {
        FinishedDownload download ("Package.zip");
        download.makeArchive (entries);
        lastInstallerPath = "from before";

        EXPECT_EQ (download.handle ("Driver"), juce::StringArray (StatusText::downloadError)) << what;
        EXPECT_TRUE (download.log.contains (logTag + "Can't find .exe after uncompress!")) << what;
        EXPECT_EQ (lastInstallerPath, "from before") << what;
        EXPECT_FALSE (download.file.getSiblingFile ("Setup.exe").exists()) << what;
    }

    FinishedDownload broken ("Package.zip");
    broken.file.replaceWithText ("not an archive");
    EXPECT_EQ (broken.handle ("Driver"), juce::StringArray (StatusText::downloadError));
}

TEST (DownloadResultHandling, UnpackingGivenUpMidwayStartsNothingAndLeavesNothing)
{
    FinishedDownload download ("Package.zip");
    download.makeArchive ({ { "Package/readme.txt", "Read me" }, { "Package/Setup.exe", installer() }, { "Package/data.bin", "data" } });
    download.selection.softwareName = "Driver";

    // Given up once the first entry is out.
    int asked = 0;
    const auto launch = DownloadResult::unpackAndLaunch (download.url, download.file, download.selection, [&]
                                                         { return ++asked > 1; });

    EXPECT_EQ (launch.run, nullptr);
    EXPECT_TRUE (download.workFolderContent().isEmpty()) << download.workFolderContent().joinIntoString (", ");
    EXPECT_FALSE (download.log.contains (logTag + "Can't find .exe after uncompress!")) << "nothing is missing from a request given up";
    EXPECT_TRUE (FakeInstaller::readRuns (download.unpacked ("Package/Setup.exe")).empty());
}

TEST (DownloadResultHandling, ArchiveEntriesThatCannotBeUnpackedAreSkipped)
{
    // A name that is not UTF-8, and a link that claims to be 3.9 GB (JUCE
    // reads a link's target whole): the one sent JUCE's path functions into
    // endless recursion, the other asked for 3.9 GB of memory.
    FinishedDownload download ("Package.zip");
    download.makeArchive ({ { "Tes####sel/Setup.exe", installer() }, { "Link.exe", "../../outside" }, { "Tessel Max/Setup.exe", installer() } });

    juce::MemoryBlock bytes;
    ASSERT_TRUE (download.file.loadFileAsData (bytes));
    auto* data = static_cast<juce::uint8*> (bytes.getData());
    int centralEntry = 0;

    for (size_t i = 0; i + 46 < bytes.getSize(); ++i)
    {
        if (std::memcmp (data + i, "PK\x01\x02", 4) != 0)
            continue;

        if (centralEntry == 0)
            std::memset (data + i + 46 + 3, 0xff, 4);

        if (centralEntry == 1)
        {
            const juce::uint32 huge = 0xf0000000, link = 0xa1ff0000;
            std::memcpy (data + i + 24, &huge, 4);
            std::memcpy (data + i + 38, &link, 4);
        }

        ++centralEntry;
    }

    ASSERT_EQ (centralEntry, 3);
    download.file.replaceWithData (bytes.getData(), bytes.getSize());

    EXPECT_EQ (download.handle ("Driver"), juce::StringArray (StatusText::installed));
    EXPECT_TRUE (download.log.contains ("<handleDownloadResult> Skipped entry 0: its name is not a readable file name"));
    EXPECT_TRUE (download.log.contains ("<handleDownloadResult> Skipped entry 1: a link"));
    EXPECT_EQ (lastInstallerPath, download.unpacked ("Tessel Max/Setup.exe").getFullPathName());
    EXPECT_FALSE (download.unpacked ("Link.exe").exists());
}

TEST (DownloadResultHandling, OtherDownloadIsTheInstallerItself)
{
    FinishedDownload download ("Vortex%20Deck%20Setup.exe");
    download.file.replaceWithText (installer(), false, false, "\n");

    EXPECT_EQ (download.handle ("Vortex Deck"), juce::StringArray (StatusText::installed));
    EXPECT_EQ (lastInstallerPath, download.file.getFullPathName());
    EXPECT_EQ (FakeInstaller::readRuns (download.file).size(), 1u);
    EXPECT_FALSE (download.log.contains ("<handleDownloadResult> Detected ZIP file: Vortex Deck Setup.exe"));
}

TEST (DownloadResultHandling, OnlyPackagesWithoutDialogsReportTheirOutcome)
{
    struct Case
    {
        const char* region;
        const char* software;
        bool notQt, noDriver;
        juce::StringArray statuses;
    };

    const Case cases[] = {
        { "cn", "Tessel Max", false, false, {} },
        { "en", "Tessel Max", true, false, {} },
        { "en", "Tessel Max", true, true, { StatusText::installed } },
        { "en", "Tessel Max", false, false, { StatusText::installed } },
        { "en", "Plugin", false, false, { StatusText::installed } },
        { "cn", "QX4 Control", false, false, {} },
    };

    for (const auto& c : cases)
    {
        FinishedDownload download ("Setup.exe");
        download.file.replaceWithText (installer(), false, false, "\n");
        download.settings.region = c.region;
        isNotQt = c.notQt;
        noDriverIncluded = c.noDriver;

        EXPECT_EQ (download.handle (c.software), c.statuses) << c.region << " " << c.software << " " << c.notQt << c.noDriver;
        EXPECT_EQ (FakeInstaller::readRuns (download.file).size(), 1u) << "started in every case";
    }

    // An installer that cannot be started is not reported as installed.
    FinishedDownload download ("Setup.exe");
    download.file.replaceWithText ("MZ This program cannot be run in DOS mode.");
    download.signAsMaker();
    EXPECT_EQ (download.handle ("Driver"), juce::StringArray (StatusText::installError));
    EXPECT_EQ (download.handle ("Tessel Max"), juce::StringArray()) << "the dialog watch decides for this one";

    // Nor is one that has ended saying it failed; "done, restart needed" is a success.
    const std::pair<const char*, const char*> exits[] = { { "exit 7", StatusText::installError },
                                                          { "exit 1", StatusText::installError },
                                                          { "exit 0", StatusText::installed } };

    for (const auto& [script, status] : exits)
    {
        FinishedDownload ended ("Plugin Setup.exe");
        ended.file.replaceWithText ("#!/bin/sh\n" + juce::String (script) + "\n", false, false, "\n");
        ended.signAsMaker();
        EXPECT_EQ (ended.handle ("Plugin"), juce::StringArray (status)) << script;
    }

    EXPECT_TRUE (InstallerRun::meansInstalled (3010));
    EXPECT_TRUE (InstallerRun::meansInstalled (1641));
    EXPECT_FALSE (InstallerRun::meansInstalled (255));

    // The dialogs of the EN QX4 driver are still to be answered when its
    // installer starts: the watch has the last word.
    FinishedDownload watched ("Setup.exe");
    watched.file.replaceWithText (installer(), false, false, "\n");
    isEnQx3 = true;
    EXPECT_EQ (watched.handle ("Driver"), juce::StringArray());
    isEnQx3 = false;
}

TEST (DownloadResultHandling, DamagedArchiveIsAnUnzipErrorThatStartsNothingAndLeavesNothing)
{
    // The installer comes first and is written whole before the damage is met.
    juce::String data;

    for (int i = 0; i < 2000; ++i)
        data << "line " << i << " of the driver's data\n";

    const struct
    {
        const char* what;
        int compressionLevel;
        std::function<bool (const juce::File&)> damage;
        const char* reason;
    } cases[] = {
        { "a byte changed in stored data", 0, [] (const juce::File& f)
          { return ZipBytes::changeByteOfEntryData (f, "Package/data.bin"); },
          "CRC-32 " },
        { "a byte changed in deflated data", 9, [] (const juce::File& f)
          { return ZipBytes::changeByteOfEntryData (f, "Package/data.bin"); },
          "" },
        { "a larger size declared than the data has", 9, [&data] (const juce::File& f)
          { return ZipBytes::declareSize (f, "Package/data.bin", (juce::uint32) data.length() + 1); },
          "wrote " },
    };

    for (const auto& c : cases)
    {
        FinishedDownload download ("Package.zip");
        download.makeArchive ({ { "Package/Setup.exe", installer() }, { "Package/data.bin", data } }, c.compressionLevel);
        ASSERT_TRUE (c.damage (download.file)) << c.what;
        lastInstallerPath = "from before";

        EXPECT_EQ (download.handle ("Driver"), juce::StringArray (StatusText::unzipError)) << c.what;

        const auto line = download.log.getLines().joinIntoString ("\n").fromFirstOccurrenceOf ("<handleDownloadResult> Failed to unpack entry 1 (Package/data.bin): ", false, false);
        EXPECT_TRUE (line.isNotEmpty() && line.startsWith (c.reason)) << c.what << ": " << download.log.getLines().joinIntoString ("\n");
        EXPECT_FALSE (line.upToFirstOccurrenceOf ("\n", false, false).contains ("disk is full")) << c.what;

        EXPECT_EQ (lastInstallerPath, "from before") << c.what << ": nothing was started";
        EXPECT_FALSE (download.log.contains (logTag + "Can't find .exe after uncompress!")) << c.what;
        EXPECT_EQ (download.workFolderContent(), juce::StringArray()) << c.what;
    }
}

TEST (DownloadResultHandling, ArchiveMeetingAFullDiskIsAnUnzipErrorThatSaysSo)
{
    FinishedDownload download ("Package.zip");
    SmallVolume volume (download.file.getParentDirectory(), 2048);
    SKIP_WITHOUT_SMALL_VOLUME (volume);

    const Entries entries = { { "Package/Setup.exe", installer() }, { "Package/data.bin", juce::String::repeatedString ("0", 300000) } };
    int looks = 0;
    juce::File filler;

    // Room for it when unpacking begins; then something else takes it all.
    download.makeArchive (entries);
    const auto launch = DownloadResult::unpackAndLaunch (download.url, download.file, download.selection, [&]
                                                         {
                                                             if (looks++ == 0)
                                                                 filler = volume.fill();
                                                             return false; });

    EXPECT_EQ (launch.kind, DownloadResult::Launch::Kind::unpackFailed);
    EXPECT_TRUE (launch.diskFull);
    EXPECT_TRUE (download.log.getLines().joinIntoString ("\n").contains (", the disk is full")) << download.log.getLines().joinIntoString ("\n");
    EXPECT_EQ (download.workFolderContent(), juce::StringArray ("filler"));
    filler.deleteFile();

    // No room for it from the start: nothing is written at all.
    download.log.clear();
    download.makeArchive ({ { "Package/Setup.exe", installer() }, { "Package/data.bin", juce::String::repeatedString ("0", 3000000) } });
    looks = 0;
    const auto refused = DownloadResult::unpackAndLaunch (download.url, download.file, download.selection, [&]
                                                          {
                                                              ++looks;
                                                              return false; });

    EXPECT_EQ (refused.kind, DownloadResult::Launch::Kind::unpackFailed);
    EXPECT_TRUE (refused.diskFull);
    EXPECT_EQ (looks, 0) << "no entry was begun";
    EXPECT_EQ (download.log.countContaining ("<handleDownloadResult> Not enough disk space to unpack Package.zip: "), 1);
    EXPECT_EQ (download.workFolderContent(), juce::StringArray());
}
