// The texts that come from outside, each through the code that reads it:
// Content-Range and Location headers, file names from addresses, an
// installer's failure text, and pnputil's listing.

#include "FuzzSupport.h"

#include "download/ChunkedDownloader.h"
#include "download/DriverStoreCheck.h"
#include "download/LocalFileName.h"
#include "download/StatusText.h"
#include "ui/StatusDisplay.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::silenceTheLog();
    return 0;
}

namespace
{
/** One plain name: what a file of a download or a picture is stored under. */
void checkFileName (const juce::String& name)
{
    if (name.isEmpty() || name == "." || name == ".." || name.containsAnyOf ("/\\:") || name.containsAnyOf ("\r\n"))
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto text = FuzzSupport::textOf (data, size);

    // Content-Range against a range and size taken from the text's length.
    const auto length = (juce::int64) size;
    const ChunkedDownloader::ByteRange range { length / 3, length / 2 };

    if (ChunkedDownloader::contentRangeMatches (text, range, length) && ! text.contains (juce::String (range.start)))
        __builtin_trap();

    // A redirect leads to a web address or nowhere.
    if (const auto next = ChunkedDownloader::followLocation (juce::URL ("http://127.0.0.1:8080/pkg/v2/file.zip"), text))
    {
        const auto address = next->toString (true);

        if (! address.startsWithIgnoreCase ("http://") && ! address.startsWithIgnoreCase ("https://"))
            __builtin_trap();
    }

    checkFileName (LocalFileName::fromAddress (text, "download.bin"));
    checkFileName (LocalFileName::makeSafe (text, "download.bin"));

    // Status texts: an installer's failure text is read from its window.
    // (Progress texts are the program's own, never from outside.)
    StatusText::isProgress (text);
    StatusDisplay::reactionFor (text);
    StatusDisplay::failureCode (text);
    StatusDisplay::failureText (text, [] (const juce::String& key)
                                { return key; });

    // pnputil's listing, with the device name taken from its first line.
    const auto lines = juce::StringArray::fromLines (text);
    const auto key = DriverStoreCheck::matchKeyFor (lines[0]);

    for (const auto& match : DriverStoreCheck::findPackages (lines, key))
        if (! match.fileName.containsIgnoreCase ("velmora_") || match.fileName.isEmpty())
            __builtin_trap();

    return 0;
}
