// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace lexfall {

// Dates are day counts since 30 December 1899; the fraction is the time of day.
struct CivilDate {
    int year;
    int month;
    int day;
};

double DayCountFromCivil(CivilDate date);
CivilDate CivilFromDayCount(double dayCount);

// "yyyy-mm-dd", the form every date takes on screen.
std::string FormatIsoDate(double dayCount);

} // namespace lexfall
