#include <gtest/gtest.h>

#include "core/DeviceWatch.h"

using DeviceWatch::Action;
using DeviceWatch::decide;

TEST (DeviceWatch, RebuildsOnlyWhenTheSetOfDevicesChanges)
{
    const juce::StringArray qx4 { "0x0104" }, both { "0x00A1", "0x0104" }, none;

    EXPECT_EQ (decide (qx4, none, none, false, false), Action::rebuild);
    EXPECT_EQ (decide (qx4, qx4, none, false, false), Action::nothing);
    EXPECT_EQ (decide (both, qx4, none, false, false), Action::rebuild);
    EXPECT_EQ (decide (none, qx4, none, false, false), Action::rebuild) << "unplugged";
    EXPECT_EQ (decide (none, none, none, false, false), Action::rebuild) << "no device: every tick";

    EXPECT_EQ (DeviceWatch::sorted ({ "0x0104", "0x00A1" }), both) << "either plugging order gives the same set";
    EXPECT_EQ (DeviceWatch::sorted ({ "0x00a1", "0x00A1" }), juce::StringArray ({ "0x00A1", "0x00a1" })) << "code-point order";
}

TEST (DeviceWatch, WaitsWhileInstallingAndAsksInManualMode)
{
    const juce::StringArray qx4 { "0x0104" }, arc { "0x00A1" }, none;

    EXPECT_EQ (decide (qx4, none, none, false, true), Action::nothing) << "picked up once the installation ends";
    EXPECT_EQ (decide (none, qx4, none, false, true), Action::nothing);

    EXPECT_EQ (decide (qx4, none, none, true, false), Action::askToLeaveManualMode);
    EXPECT_EQ (decide (qx4, none, qx4, true, false), Action::nothing) << "declined for this set";
    EXPECT_EQ (decide (arc, none, qx4, true, false), Action::askToLeaveManualMode) << "asked again for another set";
    EXPECT_EQ (decide (qx4, none, qx4, false, false), Action::rebuild) << "declined only counts in manual mode";
    EXPECT_EQ (decide (none, qx4, none, true, false), Action::nothing);
    EXPECT_EQ (decide (qx4, qx4, none, true, false), Action::nothing);
}
