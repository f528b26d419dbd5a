#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

/** Where the install buttons go. They stand in one row from x 40 at y 290,
    30 high and 20 apart, each as wide as its caption. A row that would
    not end inside the window wraps: then the buttons stand in two rows
    (from y 284 and y 320) that end left of the Cancel and Retry buttons,
    and when even two such rows are too short, every button narrows by the
    same factor until they fit (a caption that no longer fits on one line
    takes two).
*/
namespace ButtonRowLayout
{
constexpr int left = 40;
constexpr int top = 290;
constexpr int height = 30;
constexpr int gap = 20;
constexpr int rightMargin = 20;

constexpr int wrappedTops[] = { 284, 320 };
constexpr int wrappedGap = 12;
/** Room kept free at the right of wrapped rows, for Cancel and Retry. */
constexpr int wrappedRightReserve = 90;

/** The bounds of each button, in order, given the width each caption
    needs and the width of the window.
*/
std::vector<juce::Rectangle<int>> layOut (const std::vector<int>& naturalWidths, int windowWidth);
} // namespace ButtonRowLayout
