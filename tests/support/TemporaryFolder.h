#pragma once

#include <juce_core/juce_core.h>

/** A fresh, empty folder below the temporary folder, removed with everything
    in it when the object goes. Its name is random, so tests running at the
    same time in other processes never pick the same one.
*/
class TemporaryFolder
{
public:
    TemporaryFolder()
        : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getNonexistentChildFile ("stratoset-test-" + juce::Uuid().toDashedString() + "-", {}, false))
    {
        folder.createDirectory();
    }

    ~TemporaryFolder() { folder.deleteRecursively(); }

    const juce::File& getFolder() const { return folder; }
    juce::File operator/ (const juce::String& relativePath) const { return folder.getChildFile (relativePath); }

    /** Writes `text` to a file below the folder, creating its folders. Line
        ends are written as they stand in `text`.
    */
    juce::File write (const juce::String& relativePath, const juce::String& text) const
    {
        auto file = folder.getChildFile (relativePath);
        file.getParentDirectory().createDirectory();
        file.replaceWithText (text, false, false, nullptr);
        return file;
    }

    TemporaryFolder (const TemporaryFolder&) = delete;
    TemporaryFolder& operator= (const TemporaryFolder&) = delete;

private:
    juce::File folder;
};
