#include <gtest/gtest.h>

#include "download/PageWatch.h"

#include <functional>

namespace
{
using Page = InstallMonitor::Page;

/** The look (counted from 1) at which the watch first says overdue, or 0 within `limit` looks. */
int firstOverdueLook (const std::function<std::pair<Page, juce::String> (int)>& lookAt, int limit = 2000)
{
    PageWatch watch;

    for (int look = 1; look <= limit; ++look)
    {
        const auto [page, texts] = lookAt (look);

        if (watch.isOverdue (page, texts))
            return look;
    }

    return 0;
}

std::function<std::pair<Page, juce::String> (int)> steady (Page page)
{
    return [page] (int)
    { return std::make_pair (page, juce::String ("Please wait.")); };
}

std::function<std::pair<Page, juce::String> (int)> changing (Page page, int untilLook = 100000)
{
    return [page, untilLook] (int look)
    { return std::make_pair (page, "Copying file " + juce::String (juce::jmin (look, untilLook))); };
}
} // namespace

TEST (PageWatch, EveryPageHasABoundAndProgressIsNotStuck)
{
    const struct
    {
        const char* what;
        std::function<std::pair<Page, juce::String> (int)> looks;
        int overdueAt;
    } cases[] = {
        // Pressed pages move on within a second: ten seconds of them.
        { "start page", steady (Page::start), 22 },
        { "language choice", steady (Page::languageChoice), 22 },
        // Two minutes of an unknown page that does not change.
        { "unknown page", steady (Page::unknown), 241 },
        // A progress page: not stuck while it changes, stuck two minutes after it stops.
        { "unknown page with progress", changing (Page::unknown, 100), 100 + 240 },
        // but ten minutes are the most any page may take, the driver installation too.
        { "unknown page with endless progress", changing (Page::unknown), 1201 },
        { "driver installation", steady (Page::driversRunning), 1201 },
        { "driver installation with progress", changing (Page::driversRunning), 1201 },
        // No page seen: nothing counts.
        { "no page", steady (Page::none), 0 },
        // A page that moves on starts its count afresh.
        { "start and language pages by turns", [] (int look)
          { return std::make_pair (look % 10 < 5 ? Page::start : Page::languageChoice, juce::String()); },
          0 },
        // Looks that saw nothing in between do not reset a page's count.
        { "unknown page with looks that missed it", [] (int look)
          { return std::make_pair (look % 2 == 0 ? Page::none : Page::unknown, juce::String ("Choose")); },
          2 * 241 - 1 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (firstOverdueLook (c.looks), c.overdueAt) << c.what;
}
