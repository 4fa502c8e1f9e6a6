// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Regional.h"
#include "records/ScoreRec.h"

#include <cstdint>
#include <optional>
#include <string>

namespace lexfall {

// A whole figure: decimal digits, a leading "-" when negative, no grouping.
std::string FormatWhole(std::int32_t value);

// A ratio with two decimals, the regional separators and at most 7 significant digits
// (later digit positions are written as 0). Rounding looks at the first 18 significant
// digits and rounds the magnitude up when the first dropped digit is 5 or more.
// From 1e8 on the value is written in scientific form; non-finite values as "INF" or "NAN".
std::string FormatRatio(long double value, const RegionalSettings& regional);

// The derived figures, empty when the divisor field is not above 0.
std::optional<long double> LettersPerWord(const TScoreRec& rec);
std::optional<long double> SecondsPerWord(const TScoreRec& rec);
// UsedTime is turned into minutes first, then divides the words.
std::optional<long double> WordsPerMinute(const TScoreRec& rec);

} // namespace lexfall
