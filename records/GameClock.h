// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace lexfall {

// The drop interval never shrinks below this, so letters keep falling (and a game still ends)
// however long it runs. 1 ms changes nothing of the speed-up before that point.
constexpr std::int32_t kMinDropInterval = 1;

// The drop interval a game starts with, in ms.
constexpr std::int32_t kDefaultDropInterval = 750;

// The drop interval at Start for the Speed setting. A setting below 1 would give a drop timer
// that never ticks; such a game starts at the default speed instead.
std::int32_t StartDropInterval(std::int16_t speed);

// The game clock's speed-up, run at each one-second tick after UsedTime has been counted:
// the new drop interval in ms. It shrinks by 1 ms while it is below the seconds played
// (strictly), down to kMinDropInterval; an interval already at or below that stays as it is.
std::int32_t SpeedUpInterval(std::int32_t interval, std::int32_t usedTime);

} // namespace lexfall
