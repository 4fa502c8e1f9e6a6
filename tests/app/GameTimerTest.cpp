// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GameTimer.h"
#include "support/Events.h"
#include "support/TimerProbe.h"

#include <QThread>
#include <gtest/gtest.h>

namespace lexfall {
namespace {

using testing::RunEventsFor;

// An interval of 0 never ticks, unlike a QTimer with interval 0.
TEST(GameTimer, IntervalZeroNeverTicks) {
    int ticks = 0;
    GameTimer timer(0, [&] { ++ticks; });
    timer.SetEnabled(true);
    RunEventsFor(50);
    EXPECT_EQ(ticks, 0);
    EXPECT_FALSE(testing::Counting(timer));
    timer.SetInterval(5);
    RunEventsFor(60);
    EXPECT_GT(ticks, 0) << "a real interval ticks again";
}

// Enabling a running timer, or setting the interval it has, keeps the running period; a new
// interval, or enabling a timer that is off, starts a full period.
TEST(GameTimer, WhatRestartsAPeriod) {
    GameTimer timer(1000, [] {});
    timer.SetEnabled(true);
    QThread::msleep(300);
    timer.SetEnabled(true);
    timer.SetInterval(1000);
    EXPECT_LE(testing::RemainingTime(timer), 750) << "the period kept running";

    timer.SetInterval(999);
    EXPECT_GT(testing::RemainingTime(timer), 800) << "a new interval starts a full period";

    timer.SetEnabled(false);
    EXPECT_FALSE(testing::Counting(timer));
    timer.SetInterval(500); // while off: nothing counts
    EXPECT_FALSE(testing::Counting(timer));
    timer.SetEnabled(true);
    EXPECT_GT(testing::RemainingTime(timer), 400);
    EXPECT_EQ(timer.Interval(), 500);
}

} // namespace
} // namespace lexfall
