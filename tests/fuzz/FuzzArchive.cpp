// A package as a server might send it, unpacked as the program unpacks one:
// whatever its entries say (paths that climb out, absolute paths, drive
// letters, links), nothing may land outside the unpack folder, and only a
// program inside it may be picked.

#include "FuzzSupport.h"

#include "download/DownloadResultHandling.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::silenceTheLog();
    FuzzSupport::chooseHost (1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // scratch/sandbox/work/package.zip unpacks into scratch/sandbox/work/package.
    const auto sandbox = FuzzSupport::scratchFolder().getChildFile ("sandbox");
    const auto work = sandbox.getChildFile ("work");
    work.createDirectory();
    const auto archive = work.getChildFile ("package.zip");
    archive.replaceWithData (data, size);

    const auto installer = DownloadResult::unpackAndPickInstaller (archive).installer;
    const auto folder = work.getChildFile ("package");

    if (installer != juce::File() && ! installer.isAChildOf (folder))
        __builtin_trap();

    // Nothing beside the archive and its folder, nothing in the sandbox but
    // the work folder.
    for (const auto& entry : sandbox.findChildFiles (juce::File::findFilesAndDirectories, false, "*", juce::File::FollowSymlinks::no))
        if (entry != work)
            __builtin_trap();

    for (const auto& entry : work.findChildFiles (juce::File::findFilesAndDirectories, false, "*", juce::File::FollowSymlinks::no))
        if (entry != archive && entry != folder)
            __builtin_trap();

    sandbox.deleteRecursively (false);
    return 0;
}
