// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/GameClock.h"

namespace lexfall {

std::int32_t SpeedUpInterval(std::int32_t interval, std::int32_t usedTime) {
    if (interval < usedTime && interval > kMinDropInterval)
        return interval - 1;
    return interval;
}

std::int32_t StartDropInterval(std::int16_t speed) {
    return speed >= 1 ? speed : kDefaultDropInterval;
}

} // namespace lexfall
