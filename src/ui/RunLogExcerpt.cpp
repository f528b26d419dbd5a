#include "ui/RunLogExcerpt.h"

namespace RunLogExcerpt
{
namespace
{
    /** The first line of every welcome block that FileLogger writes. */
    const juce::String& welcomeLine()
    {
        static const juce::String line = juce::String::repeatedString ("*", 58);
        return line;
    }

    /** Whether the marker at `index` stands alone on its line. */
    bool isWelcomeLineAt (const juce::String& text, int index)
    {
        const auto end = index + welcomeLine().length();
        const auto startsLine = index == 0 || text[index - 1] == '\n' || text[index - 1] == '\r';
        const auto endsLine = end >= text.length() || text[end] == '\r' || text[end] == '\n';
        return startsLine && endsLine;
    }
} // namespace

juce::String lastRuns (const juce::String& logText, int runs)
{
    if (runs <= 0)
        return {};

    auto searchEnd = logText.length();
    int found = 0;
    int start = -1;

    while (found < runs)
    {
        const auto index = logText.substring (0, searchEnd).lastIndexOf (welcomeLine());

        if (index < 0)
            return logText;

        searchEnd = index;

        if (isWelcomeLineAt (logText, index))
        {
            ++found;
            start = index;
        }
    }

    return logText.substring (start);
}
} // namespace RunLogExcerpt
