#include <gtest/gtest.h>

#include "download/WorkFolder.h"
#include "support/TemporaryFolder.h"

TEST (WorkFolder, EachCopyHasItsOwnAndOnlyTheFoldersOfEndedCopiesAreRemoved)
{
    TemporaryFolder temporary;
    const auto root = temporary / "VelmoraTmp";

    auto first = WorkFolder::claim (root);
    auto second = WorkFolder::claim (root);
    ASSERT_NE (first, nullptr);
    ASSERT_NE (second, nullptr);
    EXPECT_NE (first->getFolder(), second->getFolder());
    temporary.write ("VelmoraTmp/" + first->getFolder().getFileName() + "/TesselMax.zip", "first's download");

    // What ended copies left: a folder whose lock file nobody holds, one that
    // never got a lock file, and a lock file whose folder is gone. Beside
    // them what is not a copy's at all.
    temporary.write ("VelmoraTmp/copy-ended/part.zip", "left over");
    temporary.write ("VelmoraTmp/copy-ended.lock", "");
    temporary.write ("VelmoraTmp/copy-crashed/part.zip", "left over");
    temporary.write ("VelmoraTmp/copy-gone.lock", "");
    temporary.write ("VelmoraTmp/downloads/kept/range_0", "kept");
    temporary.write ("VelmoraTmp/old file.txt", "not ours");

    EXPECT_EQ (WorkFolder::removeStale (root), 2);

    for (const auto* gone : { "copy-ended", "copy-ended.lock", "copy-crashed", "copy-gone.lock" })
        EXPECT_FALSE (root.getChildFile (gone).exists()) << gone;

    for (const auto* stays : { "downloads/kept/range_0", "old file.txt" })
        EXPECT_TRUE (root.getChildFile (stays).exists()) << stays;

    EXPECT_TRUE (first->getFolder().getChildFile ("TesselMax.zip").existsAsFile()) << "a running copy's folder is held";
    EXPECT_TRUE (second->getFolder().isDirectory());

    // Closing one copy takes its own folder only; the root goes with the last
    // thing in it.
    const auto firstFolder = first->getFolder();
    first.reset();
    EXPECT_FALSE (firstFolder.exists());
    EXPECT_FALSE (firstFolder.getSiblingFile (firstFolder.getFileName() + ".lock").exists());
    EXPECT_TRUE (second->getFolder().isDirectory());

    root.getChildFile ("downloads").deleteRecursively();
    root.getChildFile ("old file.txt").deleteFile();
    second.reset();
    EXPECT_FALSE (root.exists());
}
