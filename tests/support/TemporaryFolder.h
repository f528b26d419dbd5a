#pragma once

#include <juce_core/juce_core.h>

/** A fresh, empty folder below the temporary folder, removed with everything
    in it when the object goes.
*/
class TemporaryFolder
{
public:
    // A random name: test processes run side by side, and a name that is
    // merely free now may be taken by another process before it is created.
    TemporaryFolder()
        : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getChildFile ("stratoset-test-" + juce::Uuid().toString()))
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
