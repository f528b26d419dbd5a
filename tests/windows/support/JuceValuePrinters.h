#pragma once

#include <juce_core/juce_core.h>

#include <ostream>

// How GoogleTest shows JUCE's strings in failure messages (otherwise as raw bytes).
namespace juce
{
inline void PrintTo (const String& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo (const StringArray& texts, std::ostream* out)
{
    *out << "{ ";

    for (int i = 0; i < texts.size(); ++i)
        *out << (i > 0 ? ", \"" : "\"") << texts[i].toStdString() << '"';

    *out << " }";
}

inline void PrintTo (const File& file, std::ostream* out)
{
    *out << file.getFullPathName().toStdString();
}
} // namespace juce
