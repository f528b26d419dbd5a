#include "download/PageWatch.h"

namespace
{
constexpr int looksPerMinute = 120;
} // namespace

int PageWatch::looksAllowed (Page pageShown)
{
    switch (pageShown)
    {
        case Page::driversRunning:
        case Page::unknown:
            return 10 * looksPerMinute;

        case Page::none:
        case Page::languageChoice:
        case Page::start:
        case Page::rebootQuestion:
        case Page::completed:
        case Page::failed:
            break;
    }

    return 21;
}

bool PageWatch::isOverdue (Page pageShown, const juce::String& textsShown)
{
    if (pageShown == Page::none)
        return false;

    if (pageShown != page)
    {
        page = pageShown;
        texts = textsShown;
        looksOnPage = 0;
        looksUnchanged = 0;
    }

    ++looksOnPage;

    if (textsShown != texts)
    {
        texts = textsShown;
        looksUnchanged = 0;
    }

    ++looksUnchanged;

    if (page == Page::unknown && looksUnchanged > unchangedUnknownLooksAllowed)
        return true;

    return looksOnPage > looksAllowed (page);
}
