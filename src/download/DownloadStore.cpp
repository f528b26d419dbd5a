#include "download/DownloadStore.h"

#include <algorithm>

namespace
{
constexpr const char* recordName = "record.json";
constexpr const char* lockSuffix = ".lock";

juce::File lockFileOf (const juce::File& entryFolder)
{
    return entryFolder.getSiblingFile (entryFolder.getFileName() + lockSuffix);
}

juce::int64 sizeOfFolder (const juce::File& folder)
{
    juce::int64 total = 0;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, true, "*", juce::File::findFiles))
        total += entry.getFileSize();

    return total;
}
} // namespace

bool DownloadStore::Record::operator== (const Record& other) const
{
    return address == other.address && totalSize == other.totalSize && validatorName == other.validatorName
           && validator == other.validator && rangeBytes == other.rangeBytes;
}

juce::var DownloadStore::toVar (const Record& record)
{
    juce::Array<juce::var> ranges;

    for (const auto bytes : record.rangeBytes)
        ranges.add (bytes);

    auto* object = new juce::DynamicObject();
    object->setProperty ("address", record.address);
    object->setProperty ("size", record.totalSize);
    object->setProperty ("validatorName", record.validatorName);
    object->setProperty ("validator", record.validator);
    object->setProperty ("ranges", ranges);
    return juce::var (object);
}

std::optional<DownloadStore::Record> DownloadStore::fromVar (const juce::var& value)
{
    const auto* ranges = value.getProperty ("ranges", {}).getArray();

    if (! value.isObject() || ranges == nullptr)
        return std::nullopt;

    Record record;
    record.address = value.getProperty ("address", {}).toString();
    record.totalSize = (juce::int64) value.getProperty ("size", 0);
    record.validatorName = value.getProperty ("validatorName", {}).toString();
    record.validator = value.getProperty ("validator", {}).toString();

    for (const auto& bytes : *ranges)
    {
        if (! (bytes.isInt() || bytes.isInt64()) || (juce::int64) bytes < 0)
            return std::nullopt;

        record.rangeBytes.push_back ((juce::int64) bytes);
    }

    if (record.address.isEmpty() || record.totalSize <= 0)
        return std::nullopt;

    return record;
}

//==============================================================================
DownloadStore::Entry::Entry (juce::File folderToUse, std::unique_ptr<platform::LockFile> lockToHold)
    : folder (std::move (folderToUse)), lock (std::move (lockToHold))
{
}

DownloadStore::Entry::~Entry()
{
    if (! removed)
        lock.reset();
}

juce::File DownloadStore::Entry::getRangeFile (int index) const
{
    return folder.getChildFile ("range_" + juce::String (index));
}

std::optional<DownloadStore::Record> DownloadStore::Entry::readRecord() const
{
    const auto file = folder.getChildFile (recordName);

    if (! file.existsAsFile())
        return std::nullopt;

    return fromVar (juce::JSON::parse (file.loadFileAsString()));
}

bool DownloadStore::Entry::writeRecord (const Record& record)
{
    const auto target = folder.getChildFile (recordName);
    const auto temporary = folder.getChildFile (juce::String (recordName) + ".new");

    {
        juce::FileOutputStream output (temporary);

        if (! output.openedOk() || ! output.setPosition (0) || output.truncate().failed())
            return false;

        output << juce::JSON::toString (toVar (record), true);
        output.flush(); // on the disk before the rename makes it the record

        if (output.getStatus().failed())
            return false;
    }

    return temporary.moveFileTo (target);
}

void DownloadStore::Entry::clear()
{
    for (const auto& file : folder.findChildFiles (juce::File::findFiles, false))
        file.deleteFile();
}

void DownloadStore::Entry::remove()
{
    if (removed)
        return;

    folder.deleteRecursively (false);
    lock->releaseAndRemove();
    lock.reset();
    removed = true;

    // Only an empty folder can be deleted: other entries stay.
    folder.getParentDirectory().deleteFile();
}

//==============================================================================
DownloadStore::DownloadStore (juce::File folderToUse) : folder (std::move (folderToUse)) {}

juce::String DownloadStore::keyFor (const juce::String& address)
{
    return juce::String::toHexString (address.hashCode64()).paddedLeft ('0', 16);
}

std::unique_ptr<DownloadStore::Entry> DownloadStore::open (const juce::String& address)
{
    if (! folder.createDirectory())
        return nullptr;

    const auto entryFolder = folder.getChildFile (keyFor (address));
    auto lock = std::make_unique<platform::LockFile> (lockFileOf (entryFolder));

    // The lock first: an entry whose lock is free is nobody's.
    if (! lock->tryTake())
        return nullptr;

    if (! entryFolder.createDirectory())
    {
        lock->releaseAndRemove();
        return nullptr;
    }

    // Another address with the same key: its ranges are of no use here.
    auto entry = std::unique_ptr<Entry> (new Entry (entryFolder, std::move (lock)));

    if (const auto record = entry->readRecord(); record.has_value() && record->address != address)
        entry->clear();

    return entry;
}

int DownloadStore::prune (juce::Time now, juce::RelativeTime maxAge, juce::int64 maxBytes)
{
    struct Candidate
    {
        std::unique_ptr<Entry> entry;
        juce::Time lastWritten;
        juce::int64 bytes = 0;
    };

    std::vector<Candidate> candidates;
    juce::int64 total = 0;

    for (const auto& entryFolder : folder.findChildFiles (juce::File::findDirectories, false))
    {
        auto lock = std::make_unique<platform::LockFile> (lockFileOf (entryFolder));
        const auto bytes = sizeOfFolder (entryFolder);
        total += bytes;

        // In use by a running copy: counted, never removed.
        if (! lock->tryTake())
            continue;

        const auto record = entryFolder.getChildFile (recordName);
        const auto lastWritten = record.existsAsFile() ? record.getLastModificationTime() : entryFolder.getLastModificationTime();
        candidates.push_back ({ std::unique_ptr<Entry> (new Entry (entryFolder, std::move (lock))), lastWritten, bytes });
    }

    std::sort (candidates.begin(), candidates.end(), [] (const Candidate& a, const Candidate& b)
               { return a.lastWritten < b.lastWritten; });

    int removed = 0;

    for (auto& candidate : candidates)
    {
        if (now - candidate.lastWritten <= maxAge && total <= maxBytes)
            continue;

        juce::Logger::writeToLog ("<DownloadStore> Removing the kept download " + candidate.entry->getFolder().getFullPathName());
        total -= candidate.bytes;
        candidate.entry->remove();
        ++removed;
    }

    // Lock files whose entry is gone.
    for (const auto& lockFile : folder.findChildFiles (juce::File::findFiles, false, juce::String ("*") + lockSuffix))
    {
        platform::LockFile lock (lockFile);

        if (! lockFile.withFileExtension ({}).isDirectory() && lock.tryTake())
            lock.releaseAndRemove();
    }

    folder.deleteFile(); // only when empty
    return removed;
}
