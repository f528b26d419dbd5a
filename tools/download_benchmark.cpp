// Fetches one address the way the program does, for tools/download_benchmark.py:
//
//   download_benchmark chunked <address> <target file> [chunks]   ChunkedDownloader (8 chunks)
//   download_benchmark stream <address> <target file>             one JUCE URL stream
//   download_benchmark kept <address> <target file> <store folder> ChunkedDownloader (8 chunks),
//                                                                  its ranges kept in a DownloadStore
//
// Prints "<seconds> <bytes>" on success; exits with 1 and a message otherwise.

#include "download/ChunkedDownloader.h"

#include <juce_events/juce_events.h>

#include <cstdio>

namespace
{
int fail (const juce::String& message)
{
    std::fprintf (stderr, "%s\n", message.toRawUTF8());
    return 1;
}

juce::String fetchWithChunks (const juce::URL& address, const juce::File& target, int chunks, std::unique_ptr<DownloadStore::Entry> store = nullptr)
{
    bool finished = false;
    juce::String error;

    ChunkedDownloader downloader (address, target, chunks, std::move (store));
    downloader.onComplete = [&] (int)
    { finished = true; };
    downloader.onError = [&] (const juce::String& message)
    {
        error = message;
        finished = true;
    };

    while (! finished && downloader.isThreadRunning())
        juce::MessageManager::getInstance()->runDispatchLoopUntil (2);

    return finished ? error : juce::String ("the download ended without a result");
}

juce::String fetchWithOneStream (const juce::URL& address, const juce::File& target)
{
    int status = 0;
    auto stream = address.createInputStream (juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress)
                                                 .withConnectionTimeoutMs (5000)
                                                 .withStatusCode (&status));

    if (stream == nullptr || status != 200)
        return "no stream, status " + juce::String (status);

    target.deleteFile();
    juce::FileOutputStream output (target, 1 << 20);

    if (! output.openedOk())
        return "cannot write " + target.getFullPathName();

    output.writeFromInputStream (*stream, -1);
    output.flush();
    return output.getStatus().failed() ? output.getStatus().getErrorMessage() : juce::String();
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 4)
        return fail ("usage: download_benchmark chunked|stream <address> <target file> [chunks]");

    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    const juce::String mode { argv[1] };
    const juce::URL address { juce::String (argv[2]) };
    const juce::File target (juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (argv[3])));

    const auto start = juce::Time::getMillisecondCounterHiRes();
    juce::String error;

    if (mode == "chunked")
        error = fetchWithChunks (address, target, argc > 4 ? juce::String (argv[4]).getIntValue() : 8);
    else if (mode == "stream")
        error = fetchWithOneStream (address, target);
    else if (mode == "kept" && argc > 4)
        error = fetchWithChunks (address, target, 8, DownloadStore (juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (argv[4]))).open (address.toString (true)));
    else
        return fail ("unknown mode " + mode);

    const auto seconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;

    if (error.isNotEmpty())
        return fail (error);

    std::printf ("%.3f %lld\n", seconds, (long long) target.getSize());
    return 0;
}
