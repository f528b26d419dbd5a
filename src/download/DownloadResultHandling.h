#pragma once

#include <juce_core/juce_core.h>

#include <functional>

#include "devices/SharedSettings.h"
#include "download/Selection.h"

class InstallerRun;

namespace DownloadResult
{
/** What became of a finished download. */
struct Launch
{
    enum class Kind
    {
        noInstaller, // nothing in the package to run: "Download error"
        wrongPackage, // not the package the device list describes (its SHA-256): "Download error"
        unpackFailed, // the archive could not be unpacked whole: "Unzip error"
        notSigned, // the installer is not the maker's (its signature): "Install error", removed, not started
        notStarted, // the installer could not be started
        started
    };

    Kind kind = Kind::noInstaller;
    juce::File installer;
    std::shared_ptr<InstallerRun> run; // while started: its end and exit code
    bool diskFull = false; // unpackFailed for want of room on the disk
};

/** What unpacking an archive came to. */
struct Unpacked
{
    /** The installer picked from it; a non-existent File when there is none
        or the unpacking was stopped.
    */
    juce::File installer;

    /** An entry could not be written as the archive declares it, or the
        whole would not fit on the volume: nothing of the package is left.
    */
    bool failed = false;

    /** It failed because the volume has no room for it. */
    bool diskFull = false;

    /** The request was given up while unpacking: nothing of the package is
        left either, and there is nothing to report.
    */
    bool stopped = false;
};

/** Turns a finished download into a running installer: a package for
    which the device list gives a SHA-256 must have it, or it is removed; a
    ZIP archive is unpacked beside itself into a folder named after it and
    the installer for this system's architecture is picked from it; any
    other file is the installer itself. The installer is started silently,
    only when its signature is the maker's (InstallerSignature), and
    remembered in lastInstallerPath. Every step is logged.

    It unpacks and starts a process, so the download monitor runs it on a
    thread of its own; `shouldStop` is asked between two archive entries,
    and a stop leaves no installer started.
*/
Launch unpackAndLaunch (const juce::URL& url,
                        const juce::File& targetFile,
                        const Selection& selection,
                        const std::function<bool()>& shouldStop = nullptr);

/** Unpacks a ZIP archive beside itself, into a folder named after it, entry
    by entry so that a stop comes between two of them, and picks the
    installer in it (pickInstaller). Nothing is written outside that folder.

    Nothing is written either when the entries' declared sizes do not fit on
    the volume. Every entry written is checked against what the archive
    declares (its size and CRC-32); the first that is not as declared (a
    damaged archive, a full disk) ends the unpacking, is logged with its
    reason, and the archive and its folder are removed.
*/
Unpacked unpackAndPickInstaller (const juce::File& archive, const std::function<bool()>& shouldStop = nullptr);

/** The program to run among the ".exe" files unpacked below `workFolder`, in
    the order given: one whose path below the work folder names the other
    architecture ("x86" or "x64" without the system's "86" or "64") is
    passed over; a single candidate is taken whatever its name, otherwise the
    first whose name, without blanks and in lower case, contains "setup". A
    non-existent File when none fits. `systemBitness` is "32" or "64". Every
    decision is logged.

    The path counts from the work folder down, so the unpack folder, named
    after the archive (HubDriver_4.2_x64), says which architecture the
    package is for, while the folders the work folder lies in (a user name
    such as "Max64") say nothing about it.
*/
juce::File pickInstaller (const juce::Array<juce::File>& candidates, const juce::File& workFolder, const juce::String& systemBitness);

/** True for the packages whose installers need no dialog answered, whose
    outcome the result handling reports itself, settleTimeMs after the start.
*/
bool reportsOwnOutcome (const Selection& selection, const SharedSettings& settings);

/** Whether `file` has the SHA-256 `expected` (hexadecimal, letter case
    aside). Reads it whole; a stop asked for on the way ends the reading
    and the answer is false. Both hashes are logged when they differ.
*/
bool hasSha256 (const juce::File& file, const juce::String& expected, const std::function<bool()>& shouldStop = nullptr);

/** The outcome of a package that reports its own, once settleTimeMs have
    passed: "Download error" without an installer or with the wrong
    package, "Unzip error" when the
    archive could not be unpacked, "Install error" when it was not the
    maker's or did not start or has already ended with a code that means failure (the
    code is logged), "Installed" otherwise.
*/
juce::String settledStatus (const Launch& launch);

/** How long an installer that needs no answers is given before "Installed". */
constexpr int settleTimeMs = 2500;
} // namespace DownloadResult
