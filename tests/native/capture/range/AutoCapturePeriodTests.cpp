#include "capture/AutoCapturePeriod.h"

#include <gtest/gtest.h>

namespace mirulo::capture {
namespace {

TEST(TimerEntryFromStored, KeepsEveryListEntryAndFallsBackToTheFourthOutsideTheList) {
    for (std::int32_t entry = 0; entry < kTimerEntryCount; ++entry) {
        EXPECT_EQ(TimerEntryFromStored(entry), entry);
    }
    for (std::int32_t outside : {-1, 14, 15, 2147483647, -2147483647 - 1}) {
        EXPECT_EQ(TimerEntryFromStored(outside), 3) << outside;
    }
}

TEST(TimerIntervalMs, CountsTheNumberInSecondsOrMinutes) {
    EXPECT_EQ(TimerIntervalMs(1, true), 1000u);
    EXPECT_EQ(TimerIntervalMs(1, false), 60000u);
    EXPECT_EQ(TimerIntervalMs(4, false), 240000u);
    EXPECT_EQ(TimerIntervalMs(300, false), 18000000u);
    EXPECT_EQ(TimerIntervalMs(300, true), 300000u);
}

TEST(DecideTick, CapturesOnlyWithAFolderAndARange) {
    EXPECT_EQ(DecideTick(true, true), TickAction::Capture);
    EXPECT_EQ(DecideTick(true, false), TickAction::ReportNoRange);
    // The folder is checked first: without one, the range does not matter.
    EXPECT_EQ(DecideTick(false, true), TickAction::ReportNoFolder);
    EXPECT_EQ(DecideTick(false, false), TickAction::ReportNoFolder);
}

TEST(IsFixedRangeSet, AnyNonZeroValueCountsAsSet) {
    EXPECT_FALSE(IsFixedRangeSet(0, 0, 0, 0));
    EXPECT_TRUE(IsFixedRangeSet(1, 0, 0, 0));
    EXPECT_TRUE(IsFixedRangeSet(0, -1, 0, 0));
    EXPECT_TRUE(IsFixedRangeSet(0, 0, 5, 0));
    EXPECT_TRUE(IsFixedRangeSet(0, 0, 0, 5));
}

} // namespace
} // namespace mirulo::capture
