// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DayCount.h"

#include <cmath>
#include <cstdio>

namespace lexfall {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr long long kEpochOffset = 25569; // 1899-12-30 to 1970-01-01

} // namespace

double DayCountFromCivil(CivilDate date) {
    return static_cast<double>(DaysFromCivil(date.year, static_cast<unsigned>(date.month),
                                             static_cast<unsigned>(date.day)) +
                               kEpochOffset);
}

CivilDate CivilFromDayCount(double dayCount) {
    // Out-of-range values (a damaged record) are clamped so the arithmetic stays defined.
    double whole = std::floor(std::isfinite(dayCount) ? dayCount : 0.0);
    if (whole < -693593.0)
        whole = -693593.0; // 0001-01-01
    if (whole > 2958465.0)
        whole = 2958465.0; // 9999-12-31
    long long z = static_cast<long long>(whole) - kEpochOffset + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

std::string FormatIsoDate(double dayCount) {
    const CivilDate c = CivilFromDayCount(dayCount);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.year, c.month, c.day);
    return text;
}

} // namespace lexfall
