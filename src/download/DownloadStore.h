#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/LockFile.h"

/** Where the ranges of package downloads outlive the copy of the program
    that fetched them, so that a download cut short (the window closed, a
    crash, a power cut) goes on from where it stood the next time the same
    package is asked for.

    One entry per package address: a folder ("<key>") with the range files
    and a record of the address, the file's size, its validator and the
    bytes of each range that are safely on disk, and a lock file beside it
    ("<key>.lock") that the copy using the entry holds. Two copies never
    write into one entry: the second one downloads without the store.
*/
class DownloadStore
{
public:
    explicit DownloadStore (juce::File folder);

    /** What an entry knows of its download. */
    struct Record
    {
        juce::String address;
        juce::int64 totalSize = 0;
        juce::String validatorName; // "ETag" or "Last-Modified"
        juce::String validator;
        std::vector<juce::int64> rangeBytes; // bytes of each range on disk, in range order

        bool operator== (const Record& other) const;
    };

    /** An entry this copy holds: it is nobody else's until this goes. */
    class Entry
    {
    public:
        ~Entry();

        juce::File getRangeFile (int index) const;

        /** The record as last written; nothing when there is none or it
            cannot be read.
        */
        std::optional<Record> readRecord() const;

        /** Replaces the record in one step: written beside it, forced to
            the disk, then renamed over it, so that a crash leaves the old
            record or the new one, never part of one.
        */
        bool writeRecord (const Record& record);

        /** Removes the range files and the record; the entry stays held. */
        void clear();

        /** Removes the whole entry and lets go of it (and of the store's
            folder, once it is empty). Nothing may be used after this.
        */
        void remove();

        const juce::File& getFolder() const { return folder; }

    private:
        friend class DownloadStore;
        Entry (juce::File folder, std::unique_ptr<platform::LockFile> lock);

        juce::File folder;
        std::unique_ptr<platform::LockFile> lock;
        bool removed = false;
    };

    /** The entry of `address`, held for this copy; nullptr when another
        copy is using it or it cannot be made.
    */
    std::unique_ptr<Entry> open (const juce::String& address);

    /** Removes every entry that no copy is using and that was last written
        more than `maxAge` before `now`, then, oldest first, those beyond
        `maxBytes` in all. Returns how many went.
    */
    int prune (juce::Time now, juce::RelativeTime maxAge, juce::int64 maxBytes);

    /** The entry's name for an address: a hash, so any address makes a
        plain name.
    */
    static juce::String keyFor (const juce::String& address);

    /** A week: a download not taken up again by then is not likely to be. */
    static juce::RelativeTime defaultMaxAge() { return juce::RelativeTime::days (7); }

    /** The maker's largest packages are a few hundred MiB. */
    static constexpr juce::int64 defaultMaxBytes = (juce::int64) 2 * 1024 * 1024 * 1024;

    static juce::var toVar (const Record& record);
    static std::optional<Record> fromVar (const juce::var& value);

private:
    juce::File folder;
};
