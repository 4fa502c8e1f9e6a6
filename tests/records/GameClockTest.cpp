// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/GameClock.h"

#include <gtest/gtest.h>

#include <limits>

namespace lexfall {
namespace {

// The speed-up starts only once the interval is strictly below the seconds played.
TEST(GameClockTest, SpeedUpStartsAfterIntervalSeconds) {
    struct Case {
        std::int32_t interval, usedTime, expected;
    };
    const Case cases[] = {
        {750, 1, 750}, {750, 750, 750}, {750, 751, 749}, {749, 752, 748}, {9999, 751, 9999}};
    for (const Case& c : cases)
        EXPECT_EQ(SpeedUpInterval(c.interval, c.usedTime), c.expected)
            << c.interval << " ms at " << c.usedTime << " s";
}

// A game at 750 ms, tick by tick: 750 through second 750, 749 at 751, 748 at 752, then down to
// the floor, where it stays.
TEST(GameClockTest, WholeGameReachesFloorAndStays) {
    std::int32_t interval = 750;
    for (std::int32_t second = 1; second <= 752; ++second)
        interval = SpeedUpInterval(interval, second);
    EXPECT_EQ(interval, 748);
    std::int32_t second = 752;
    while (interval > kMinDropInterval && second < 10000)
        interval = SpeedUpInterval(interval, ++second);
    EXPECT_EQ(interval, kMinDropInterval);
    EXPECT_EQ(second, 752 + 748 - kMinDropInterval);
    EXPECT_EQ(SpeedUpInterval(interval, std::numeric_limits<std::int32_t>::max()),
              kMinDropInterval);
}

// Intervals at or below the floor (a setting below 1 included) are never changed, so none wraps.
TEST(GameClockTest, FloorAndBelowStayPut) {
    constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    for (const std::int32_t interval : {kMinDropInterval, 0, -5, lowest})
        EXPECT_EQ(SpeedUpInterval(interval, 100000), interval);
}

// Speeds below 1 (0 typed in, -1 read from the file) start at the default; others as set.
TEST(GameClockTest, StartDropInterval) {
    EXPECT_EQ(StartDropInterval(750), 750);
    EXPECT_EQ(StartDropInterval(1), 1);
    EXPECT_EQ(StartDropInterval(32767), 32767);
    EXPECT_EQ(StartDropInterval(0), kDefaultDropInterval);
    EXPECT_EQ(StartDropInterval(-1), kDefaultDropInterval);
    EXPECT_EQ(StartDropInterval(-32768), kDefaultDropInterval);
}

} // namespace
} // namespace lexfall
