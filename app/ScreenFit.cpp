// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenFit.h"

#include <algorithm>
#include <cmath>

namespace lexfall {

std::optional<double> RatioThatFits(double ratio, DeviceArea screen, int width, int height) {
    const double largest =
        std::min(screen.width / width, screen.height / (height + kTitleBarAllowance));
    if (ratio <= largest)
        return std::nullopt;
    // Quarter steps keep a 40-pixel cell whole, and are the steps desktops offer.
    const double fitting = std::floor(largest * 4.0) / 4.0;
    if (fitting < 1.0 || fitting >= ratio)
        return std::nullopt;
    return fitting;
}

} // namespace lexfall
