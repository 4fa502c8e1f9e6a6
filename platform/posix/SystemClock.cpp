// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Clock.h"

#include "text/DayCount.h"

#include <chrono>
#include <ctime>

namespace lexfall {

double SystemClock::Today() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DayCountFromCivil({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

double SystemClock::Now() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    return DayCountFromCivil({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}) +
           seconds / 86400.0;
}

std::uint64_t SystemClock::SeedValue() const {
    return static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

} // namespace lexfall
