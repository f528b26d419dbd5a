#pragma once

#include <juce_core/juce_core.h>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>

/** A small, real file system (tmpfs) mounted on a folder for as long as this
    object lives, so that writes there meet a full disk. Mounting needs root
    (CAP_SYS_ADMIN); where it is not permitted the volume is not available
    and the test skips, naming the reason.
*/
class SmallVolume
{
public:
    SmallVolume (const juce::File& folderToUse, int kilobytes) : folder (folderToUse)
    {
        folder.createDirectory();
        const auto options = "size=" + juce::String (kilobytes) + "k,mode=0755";

        if (::mount ("stratoset-test", folder.getFullPathName().toRawUTF8(), "tmpfs", MS_NOSUID | MS_NODEV, options.toRawUTF8()) == 0)
            mounted = true;
        else
            reason = "mounting a tmpfs on " + folder.getFullPathName() + " is not permitted here: " + juce::String (std::strerror (errno));
    }

    ~SmallVolume()
    {
        // Detached: a file still open in it (a log, a stream) cannot keep it.
        if (mounted)
            ::umount2 (folder.getFullPathName().toRawUTF8(), MNT_DETACH);
    }

    bool isAvailable() const { return mounted; }
    const juce::String& whyNotAvailable() const { return reason; }

    /** Fills the volume with one file until no byte is left; returns it. */
    juce::File fill (const juce::String& name = "filler") const
    {
        const auto filler = folder.getChildFile (name);
        juce::FileOutputStream out (filler, 0); // unbuffered: each write meets the disk
        juce::HeapBlock<char> block (65536, true);

        for (const size_t size : { (size_t) 65536, (size_t) 1 })
            while (out.write (block, size))
            {
            }

        return filler;
    }

    SmallVolume (const SmallVolume&) = delete;
    SmallVolume& operator= (const SmallVolume&) = delete;

private:
    juce::File folder;
    bool mounted = false;
    juce::String reason;
};

/** Skips the test, with the reason, when the volume could not be mounted. */
#define SKIP_WITHOUT_SMALL_VOLUME(volume) \
    if (! (volume).isAvailable())         \
    GTEST_SKIP() << (volume).whyNotAvailable()
