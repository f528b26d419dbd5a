#include "download/LocalFileName.h"

namespace LocalFileName
{
juce::String fromAddress (const juce::String& address, const juce::String& fallback)
{
    auto path = address.upToFirstOccurrenceOf ("?", false, false).upToFirstOccurrenceOf ("#", false, false);
    path = path.fromLastOccurrenceOf ("/", false, false).fromLastOccurrenceOf ("\\", false, false);
    return makeSafe (path, fallback);
}

juce::String makeSafe (const juce::String& name, const juce::String& fallback)
{
    juce::String safe;

    for (auto p = name.getCharPointer(); ! p.isEmpty(); ++p)
    {
        const auto c = *p;

        // Separators, the drive/stream colon, wildcards and control characters.
        if (c < 32 || c == 127 || juce::String ("/\\:*?\"<>|").containsChar (c))
            continue;

        safe += c;
    }

    // Windows drops trailing dots and blanks, and "." or ".." are no names at all.
    safe = safe.trim();

    while (safe.endsWithChar ('.') || safe.endsWithChar (' '))
        safe = safe.dropLastCharacters (1);

    if (safe.isEmpty() || safe.containsOnly ("."))
        return fallback;

    // Names Windows reserves for devices, with or without an extension.
    static const juce::StringArray reserved { "CON", "PRN", "AUX", "NUL", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9" };

    if (reserved.contains (safe.upToFirstOccurrenceOf (".", false, false).trim(), true))
        safe = "_" + safe;

    // Keep room for the folder's own path within MAX_PATH.
    if (safe.length() > 150)
        safe = safe.substring (0, 150);

    return safe;
}
} // namespace LocalFileName
