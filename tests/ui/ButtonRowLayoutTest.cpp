#include <gtest/gtest.h>

#include "ui/ButtonRowLayout.h"

#include <numeric>
#include <set>

namespace
{
/** Where Cancel and Retry stand at the bottom right of a 600 x 400 window. */
const juce::Rectangle<int> cancelAndRetry { 520, 320, 70, 30 };

void expectWholeAndApart (const std::vector<juce::Rectangle<int>>& bounds, const std::vector<int>& natural, int windowWidth)
{
    for (size_t i = 0; i < bounds.size(); ++i)
    {
        SCOPED_TRACE ("button " + std::to_string (i));
        EXPECT_GE (bounds[i].getX(), ButtonRowLayout::left);
        EXPECT_LE (bounds[i].getRight(), windowWidth - ButtonRowLayout::rightMargin);
        EXPECT_EQ (bounds[i].getHeight(), ButtonRowLayout::height);
        EXPECT_LE (bounds[i].getWidth(), natural[i]) << "never wider than its caption needs";
        EXPECT_FALSE (bounds[i].intersects (cancelAndRetry));

        for (size_t j = i + 1; j < bounds.size(); ++j)
            EXPECT_FALSE (bounds[i].intersects (bounds[j])) << "overlaps button " << j;
    }
}
} // namespace

TEST (ButtonRowLayout, UpToFourCaptionsStandInTodaysRowAndMoreWrapInsideTheWindow)
{
    // A row that fits stays exactly where it always was.
    const std::vector<int> four { 120, 110, 95, 80 };
    const auto row = ButtonRowLayout::layOut (four, 600);
    ASSERT_EQ (row.size(), 4u);
    EXPECT_EQ (row[0], juce::Rectangle<int> (40, 290, 120, 30));
    EXPECT_EQ (row[1], juce::Rectangle<int> (180, 290, 110, 30));
    EXPECT_EQ (row[3], juce::Rectangle<int> (425, 290, 80, 30));

    struct Case
    {
        const char* what;
        std::vector<int> widths;
        bool narrowed;
    };

    const Case cases[] = {
        { "five whose row ends past the window", { 120, 110, 95, 80, 100 }, false },
        { "six Chinese captions", { 150, 140, 130, 120, 110, 130 }, false },
        { "one caption wider than a whole row", { 700, 60 }, true },
        { "eight wide captions", std::vector<int> (8, 160), true },
        { "forty captions", std::vector<int> (40, 90), true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto bounds = ButtonRowLayout::layOut (c.widths, 600);
        ASSERT_EQ (bounds.size(), c.widths.size());
        expectWholeAndApart (bounds, c.widths, 600);

        std::set<int> rows;
        for (const auto& b : bounds)
            rows.insert (b.getY());
        EXPECT_EQ (rows.size(), 2u) << "wrapped onto two rows";

        const auto total = [] (const std::vector<int>& widths)
        { return std::accumulate (widths.begin(), widths.end(), 0); };
        std::vector<int> placed;
        for (const auto& b : bounds)
            placed.push_back (b.getWidth());
        EXPECT_EQ (total (placed) < total (c.widths), c.narrowed);
    }
}
