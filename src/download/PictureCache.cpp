#include "download/PictureCache.h"

#include "download/LocalFileName.h"

namespace
{
void logFailure (const juce::String& address)
{
    juce::Logger::writeToLog ("<InterfaceComponent::loadImage> download failed: " + address);
}
} // namespace

PictureCache::PictureCache (juce::File folderToUse)
    : folder (std::move (folderToUse))
{
    // Part files of runs that were killed mid-fetch. The folder is shared by
    // every copy of the program, so only those far older than any fetch may
    // take go: a younger one may be another copy's, still being written.
    const auto staleBefore = juce::Time::getCurrentTime() - juce::RelativeTime::hours (1);

    for (const auto& part : folder.findChildFiles (juce::File::findFiles, false, "*.part", juce::File::FollowSymlinks::no))
        if (part.getLastModificationTime() < staleBefore)
            part.deleteFile();
}

PictureCache::~PictureCache() = default;

juce::File PictureCache::keptFileFor (const juce::String& address) const
{
    const auto name = LocalFileName::fromAddress (address, {});
    return name.isEmpty() ? juce::File() : folder.getChildFile (name);
}

juce::File PictureCache::partFileFor (const juce::File& kept) const
{
    // Its own file per fetch: two fetches of one picture may overlap, and a
    // name chosen as "not there yet" would be chosen by both before either
    // has made its file.
    return folder.getChildFile (kept.getFileName() + "." + juce::Uuid().toString().substring (0, 12) + ".part");
}

juce::Image PictureCache::getKept (const juce::String& address) const
{
    // Read from the file each time: JUCE's image cache keys by path and
    // would hand back the picture kept before as long as it is shown.
    const auto kept = keptFileFor (address);
    return kept.existsAsFile() ? juce::ImageFileFormat::loadFrom (kept) : juce::Image();
}

juce::Image PictureCache::accept (bool arrived, const juce::String& address, const juce::File& part, const juce::File& kept)
{
    // An error page is no picture: it must not replace the copy from an earlier run.
    if (arrived && juce::ImageFileFormat::loadFrom (part).isValid() && part.moveFileTo (kept))
        juce::Logger::writeToLog ("<InterfaceComponent::loadImage> Loaded image: " + kept.getFileName());
    else
        logFailure (address);

    part.deleteFile();
    return getKept (address);
}

juce::File PictureCache::prepareFetch (const juce::String& address)
{
    if (! folder.isDirectory())
        folder.createDirectory();

    // No address: nothing to fetch, and nothing kept.
    if (address.isEmpty())
        return {};

    const auto kept = keptFileFor (address);

    if (kept == juce::File())
        logFailure (address);

    return kept;
}

void PictureCache::refresh (const juce::String& address, std::function<void (juce::Image)> onDone)
{
    const auto kept = prepareFetch (address);

    if (kept == juce::File())
        return;

    const auto part = partFileFor (kept);
    auto* fetch = running.emplace_back (std::make_unique<FileFetch> (juce::URL (address), part, limits)).get();

    // Called by the fetch's own timer on the message thread; the fetch goes
    // once its answer has been taken.
    const auto takeAnswer = [this, fetch, address, part, kept, onDone] (bool arrived)
    {
        const auto picture = accept (arrived, address, part, kept);

        const auto isThisFetch = [fetch] (const auto& f)
        { return f.get() == fetch; };

        running.erase (std::remove_if (running.begin(), running.end(), isThisFetch), running.end());

        if (onDone != nullptr)
            onDone (picture);
    };

    fetch->setOnFinished (takeAnswer);
}

juce::Image PictureCache::fetchNow (const juce::String& address)
{
    const auto kept = prepareFetch (address);

    if (kept == juce::File())
        return {};

    const auto part = partFileFor (kept);
    return accept (FileFetch::fetchNow (juce::URL (address), part, limits), address, part, kept);
}
