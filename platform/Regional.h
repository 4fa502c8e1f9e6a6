#pragma once
#include <string>

namespace lexfall {

// The regional settings the game reads: number separators and the short date format.
struct RegionalSettings {
    std::string decimalSeparator = ".";
    std::string thousandSeparator = ",";
    // strftime-style short date format, from LC_TIME's D_FMT.
    std::string shortDateFormat = "%m/%d/%y";
};

// Reads the POSIX locale of the environment (LC_NUMERIC and LC_TIME).
RegionalSettings ReadSystemRegionalSettings();

} // namespace lexfall
