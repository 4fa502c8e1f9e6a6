// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace lexfall {

// The regional settings the game reads: number separators and the short date format, as
// system text (UTF-8).
struct RegionalSettings {
    std::string decimalSeparator = ".";
    std::string thousandSeparator = ",";
    // strftime-style short date format, from LC_TIME's D_FMT.
    std::string shortDateFormat = "%m/%d/%y";
};

// Reads a POSIX locale by name ("fr_FR.UTF-8"); the empty name is the environment's locale
// (LC_ALL, LC_NUMERIC, LC_TIME, LANG). A locale that cannot be loaded gives the defaults above.
RegionalSettings ReadRegionalSettings(const std::string& localeName);

// The environment's locale.
RegionalSettings ReadSystemRegionalSettings();

} // namespace lexfall
