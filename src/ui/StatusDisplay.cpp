#include "ui/StatusDisplay.h"

#include "download/StatusText.h"

namespace StatusDisplay
{
Reaction reactionFor (const juce::String& status)
{
    if (StatusText::isProgress (status))
        return Reaction::progress;

    struct ExactStatus
    {
        const char* text;
        Reaction reaction;
    };

    // In the order of the dispatch; the failure text sits between them.
    static const ExactStatus beforeFailure[] = {
        { StatusText::downloaded, Reaction::downloaded },
        { StatusText::installed, Reaction::installed },
        { StatusText::downloadError, Reaction::downloadError },
        { StatusText::installError, Reaction::installError },
        { StatusText::appFound, Reaction::appFound },
        { StatusText::manualInstall, Reaction::manualInstall },
        { StatusText::softwareExist, Reaction::softwareExist },
    };

    static const ExactStatus afterFailure[] = {
        { StatusText::unzipError, Reaction::unzipError },
        { StatusText::timeOut, Reaction::timeOut },
        { StatusText::serverError, Reaction::serverError },
        { StatusText::serverReconnect, Reaction::serverReconnect },
        { StatusText::checkDriver, Reaction::checkDriver },
    };

    for (const auto& exact : beforeFailure)
        if (status == exact.text)
            return exact.reaction;

    if (StatusText::isInstallerFailure (status))
        return Reaction::installerFailure;

    for (const auto& exact : afterFailure)
        if (status == exact.text)
            return exact.reaction;

    return Reaction::other;
}

juce::String speedNotice (juce::int64 bytesPerSecond, int& slowTicks, const Lookup& tr)
{
    if (bytesPerSecond >= slowBytesPerSecond)
    {
        slowTicks = 0;
        return {};
    }

    if (++slowTicks <= slowReportsWithoutTip)
        return {};

    if (bytesPerSecond == 0)
        return tr ("no_network");

    if (bytesPerSecond > 1024)
        return tr ("tip") + juce::String (bytesPerSecond / 1024) + "KB/s" + tr ("tip_tail");

    return tr ("tip") + juce::String (bytesPerSecond) + "B/s" + tr ("tip_tail");
}

juce::String failureCode (const juce::String& status)
{
    const auto close = status.indexOfChar (')');

    if (close <= 0)
        return {};

    return status.substring (close - 1, close);
}

juce::String failureText (const juce::String& status, const Lookup& tr)
{
    const auto code = failureCode (status);
    return tr ("error" + code) + "(" + code + ")";
}
} // namespace StatusDisplay
