#include <gtest/gtest.h>

#include "download/StatusText.h"

TEST (StatusText, TerminalStatusesEndARequest)
{
    for (auto status : { "Installed", "Download error", "Install error", "App found", "Manual install", "Software exist", "Unfortunately the installation failed. (7)", "Setup says: Unfortunately" })
        EXPECT_TRUE (StatusText::isTerminal (status)) << status;

    for (auto status : { "Downloaded", "Download cancelled", "Check driver", "Unzip error", "Disk full", "Not signed", "Time out", "Server error", "Server reconnect", "25.000000% 512000", "installed", "Installed ", "unfortunately", "" })
        EXPECT_FALSE (StatusText::isTerminal (status)) << status;
}

TEST (StatusText, ProgressTextIsPercentThenBytesPerSecond)
{
    EXPECT_EQ (StatusText::makeProgress (250, 1000, 512000), "25.000000% 512000");
    EXPECT_EQ (StatusText::makeProgress (0, 1000, 0), "0.000000% 0");
    EXPECT_EQ (StatusText::makeProgress (1000, 1000, 3), "100.000000% 3");
    EXPECT_EQ (StatusText::makeProgress (0, 0, 0), "0.000000% 0") << "no size known yet";

    // Sizes beyond 32 bits keep their ratio.
    const juce::int64 fourGiB = (juce::int64) 4 << 30;
    EXPECT_EQ (StatusText::makeProgress (fourGiB / 2, fourGiB, 1), "50.000000% 1");

    EXPECT_TRUE (StatusText::isProgress ("25.000000% 512000"));
    EXPECT_TRUE (StatusText::isProgress ("Unfortunately 5% of it failed")) << "a % makes a progress text, whatever else";
    EXPECT_FALSE (StatusText::isProgress ("Downloaded"));
}

TEST (StatusText, ProgressTextReadsBack)
{
    auto p = StatusText::parseProgress ("30.5% 2048");
    EXPECT_DOUBLE_EQ (p.value, 0.305);
    EXPECT_EQ (p.bytesPerSecond, 2048);

    p = StatusText::parseProgress ("25.000000% 0");
    EXPECT_DOUBLE_EQ (p.value, 0.25);
    EXPECT_EQ (p.bytesPerSecond, 0);

    p = StatusText::parseProgress (StatusText::makeProgress (3, 4, 6000000000));
    EXPECT_DOUBLE_EQ (p.value, 0.75);
    EXPECT_EQ (p.bytesPerSecond, 6000000000) << "speeds are 64-bit";
}
