// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenFit.h"

#include <gtest/gtest.h>

namespace lexfall {
namespace {

// A window that would run past the screen's edge gets the largest quarter-step scale that
// fits; one that fits, or cannot fit even unscaled, keeps its scale.
TEST(ScreenFit, LargestQuarterStepThatFits) {
    constexpr int kWidth = 521, kHeight = 534;
    struct Case {
        const char* screen;
        double ratio;
        DeviceArea area;
        std::optional<double> expected;
    } cases[] = {
        {"1920x1080 at 100 %", 1.0, {1920, 1040}, std::nullopt},
        {"2560x1600 at 200 %", 2.0, {2560, 1536}, std::nullopt},
        {"2560x1600 at 300 %, a panel of 64", 3.0, {2560, 1536}, 2.5},
        {"1920x1080 at 200 %, a panel of 54", 2.0, {1920, 1026}, 1.75},
        {"3840x2160 at 300 %", 3.0, {3840, 2100}, std::nullopt},
        {"1366x768 at 150 %", 1.5, {1366, 740}, 1.25},
        {"800x480 at 125 %", 1.25, {800, 450}, std::nullopt}, // too small even at 1
        {"a wide short screen at 250 %", 2.5, {5000, 1200}, 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen);
        const auto fitting = RatioThatFits(c.ratio, c.area, kWidth, kHeight);
        EXPECT_EQ(fitting, c.expected);
        if (fitting) {
            EXPECT_LE(*fitting * (kHeight + kTitleBarAllowance), c.area.height);
            EXPECT_LE(*fitting * kWidth, c.area.width);
        }
    }
}

} // namespace
} // namespace lexfall
