// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace lexfall {

// The short date format of the regional settings, in strftime form ("%m/%d/%y" in the C
// locale): %d, %e, %m, %y, %Y, %D, %F and %% are understood, anything else is taken
// literally. A year of one or two digits, under %y or %Y alike, is read as the year ending in
// those digits from 50 years before currentYear to 49 after it. Dates before 1900 are refused.
struct ShortDateFormat {
    std::string pattern = "%m/%d/%y";
    int currentYear = 2000;
};

// A day count since 30 December 1899 as a date in the format, without time of day.
std::string FormatShortDate(double dayCount, const ShortDateFormat& format);
// The whole text as a date in the format; nothing when it is not one.
std::optional<double> ParseShortDate(std::string_view text, const ShortDateFormat& format);

} // namespace lexfall
