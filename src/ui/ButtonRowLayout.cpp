#include "ui/ButtonRowLayout.h"

#include <algorithm>
#include <optional>

namespace ButtonRowLayout
{
namespace
{
    constexpr size_t wrappedRows = std::size (wrappedTops);

    /** Fills rows from the left, each ending at `rowEnd` at most: the index
        of the first button of each row, or nothing when more than the
        wrapped rows would be needed.
    */
    std::optional<std::vector<size_t>> fillRows (const std::vector<int>& widths, int rowEnd)
    {
        std::vector<size_t> rowStarts { 0 };
        auto x = left;

        for (size_t i = 0; i < widths.size(); ++i)
        {
            if (i == rowStarts.back())
                x = left + widths[i];
            else if (x + wrappedGap + widths[i] <= rowEnd)
                x += wrappedGap + widths[i];
            else
            {
                rowStarts.push_back (i);
                x = left + widths[i];
            }
        }

        if (rowStarts.size() > wrappedRows)
            return std::nullopt;

        return rowStarts;
    }

    std::vector<juce::Rectangle<int>> place (const std::vector<int>& widths, const std::vector<size_t>& rowStarts)
    {
        std::vector<juce::Rectangle<int>> bounds;
        size_t row = 0;
        auto x = left;

        for (size_t i = 0; i < widths.size(); ++i)
        {
            if (row + 1 < rowStarts.size() && i == rowStarts[row + 1])
            {
                ++row;
                x = left;
            }

            bounds.emplace_back (x, wrappedTops[row], widths[i], height);
            x += widths[i] + wrappedGap;
        }

        return bounds;
    }
} // namespace

std::vector<juce::Rectangle<int>> layOut (const std::vector<int>& naturalWidths, int windowWidth)
{
    std::vector<juce::Rectangle<int>> bounds;
    auto x = left;

    for (const auto width : naturalWidths)
    {
        bounds.emplace_back (x, top, width, height);
        x += width + gap;
    }

    if (bounds.empty() || bounds.back().getRight() <= windowWidth - rightMargin)
        return bounds;

    // Two rows, the buttons narrowed as little as needed (a single button
    // wider than a whole row too).
    const auto rowEnd = windowWidth - wrappedRightReserve;
    const auto rowWidth = std::max (1, rowEnd - left);
    std::vector<int> widths;

    for (auto percent = 100; percent >= 40; percent -= 5)
    {
        widths.clear();

        for (const auto width : naturalWidths)
            widths.push_back (std::max (1, std::min (rowWidth, width * percent / 100)));

        if (const auto rowStarts = fillRows (widths, rowEnd))
            return place (widths, *rowStarts);
    }

    // So many buttons that even narrowed captions cannot stay readable on
    // two rows: they share the rows equally.
    const auto count = naturalWidths.size();
    const auto perRow = (count + wrappedRows - 1) / wrappedRows;
    const auto width = std::max (1, (rowWidth - (int) (perRow - 1) * wrappedGap) / (int) perRow);
    std::vector<size_t> rowStarts;

    for (size_t start = 0; start < count; start += perRow)
        rowStarts.push_back (start);

    return place (std::vector<int> (count, width), rowStarts);
}
} // namespace ButtonRowLayout
