// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

namespace lexfall {

// A screen's area for windows, in its own device pixels.
struct DeviceArea {
    double width;
    double height;
};

// Room left for the title bar the desktop adds above the window, in logical pixels.
inline constexpr int kTitleBarAllowance = 40;

// The ratio the game should run at when its window, width x height logical pixels and a title
// bar, does not fit the screen at ratio: the largest quarter step that fits, never below 1.
// Nothing when the window fits, or cannot fit even at 1.
std::optional<double> RatioThatFits(double ratio, DeviceArea screen, int width, int height);

} // namespace lexfall
