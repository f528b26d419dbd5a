#pragma once

#include "download/InstallMonitor.h"

/** Tells when the installer's dialog has stayed on one page for longer than
    that page may take, so a request never waits for good on a dialog that
    does not move on. It is given one look every 500 ms.

    Every page has a bound from the look it first showed on: the pages whose
    button is pressed move on within a second, so ten seconds; the driver
    installation runs Windows' own driver set-up, which on an older system
    can search for minutes (and the EN QX4 driver fetches more online), so
    ten minutes; a page no rule knows, ten minutes too. A page no rule knows
    whose texts stay the same waits for the user and is overdue after two
    minutes; while its texts change (a progress page) it is not.
*/
class PageWatch
{
public:
    using Page = InstallMonitor::Page;

    /** Takes one look's page and the texts it showed; true once the page
        has outstayed its bound. A look that saw no page (Page::none)
        changes nothing.
    */
    bool isOverdue (Page page, const juce::String& texts);

    /** Looks a page may take, counted from the one it first showed on. */
    static int looksAllowed (Page page);

    /** Looks in a row with the same texts that a page no rule knows may take. */
    static constexpr int unchangedUnknownLooksAllowed = 240;

private:
    Page page = Page::none;
    juce::String texts;
    int looksOnPage = 0;
    int looksUnchanged = 0;
};
