#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <cstdlib>

/** What every fuzz target shares: a run log that goes nowhere (the code
    under test logs a lot, and printing it would slow the fuzzer down a
    hundredfold), and simulated Windows hosts the input may choose from.
*/
namespace FuzzSupport
{
class SilentLogger : public juce::Logger
{
    void logMessage (const juce::String&) override {}
};

inline void silenceTheLog()
{
    static SilentLogger logger;
    juce::Logger::setCurrentLogger (&logger);
}

/** A folder of the fuzzer's own, made afresh for this process. */
inline juce::File scratchFolder()
{
    static const juce::File folder = []
    {
        auto f = juce::File::getSpecialLocation (juce::File::tempDirectory)
                     .getChildFile ("stratoset-fuzz-" + juce::String (juce::Time::getHighResolutionTicks()));
        f.createDirectory();
        return f;
    }();

    return folder;
}

/** Puts one of four Windows machines in force: 7 32-bit, 10 (1809) 64-bit,
    11 64-bit, or one whose version cannot be read.
*/
inline void chooseHost (uint8_t which)
{
    static const juce::StringArray versions { "6.1.7601", "10.0.17763", "10.0.22631", "" };
    const auto index = (int) (which % 4);
    const auto host = scratchFolder().getChildFile ("host" + juce::String (index));

    if (! host.isDirectory())
    {
        host.createDirectory();

        if (versions[index].isNotEmpty())
            host.getChildFile ("windows-version").replaceWithText (versions[index] + "\n");

        host.getChildFile ("wow64").replaceWithText (index == 0 ? "0\n" : "1\n");
    }

    setenv ("STRATOSET_SIMULATED_HOST", host.getFullPathName().toRawUTF8(), 1);
}

/** The bytes as text, read as the program reads a file or an answer:
    UTF-8 when they are UTF-8, Windows-1252 otherwise.
*/
inline juce::String textOf (const uint8_t* data, size_t size)
{
    // From an aligned copy, as from a file read into memory (JUCE reads
    // UTF-16 in place).
    const juce::MemoryBlock copy (data, juce::jmin (size, (size_t) 1 << 20));
    return juce::String::createStringFromData (copy.getData(), (int) copy.getSize());
}
} // namespace FuzzSupport
