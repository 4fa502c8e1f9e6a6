// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/Figures.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace lexfall {

static_assert(std::numeric_limits<long double>::digits == 64,
              "the ratios are computed in the 80-bit format");

namespace {

constexpr int kSignificantDigits = 7;
constexpr int kDecimals = 2;
// From this decimal exponent on (a hundred million, far beyond any real game), a ratio is
// written in scientific form: the grouped digits would run past the records page's last column.
constexpr int kScientificExponent = 8;

// value = digits[0].digits[1..] x 10^exponent, 18 significant digits.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// The first 18 significant digits, correctly rounded by the C library.
DecimalDigits EighteenDigits(long double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17Le", value);
    DecimalDigits result;
    const char* p = text;
    if (*p == '-') {
        result.negative = true;
        ++p;
    }
    // The radix character depends on the C locale, which a GUI toolkit may have changed.
    for (; *p != '\0' && *p != 'e' && *p != 'E'; ++p)
        if (std::isdigit(static_cast<unsigned char>(*p)))
            result.digits += *p;
    if (*p != '\0')
        result.exponent = static_cast<int>(std::strtol(p + 1, nullptr, 10));
    return result;
}

// The first `keep` digits, rounded up when the first dropped digit is 5 or more. A carry out of
// the first digit makes the result one digit longer; its last digit keeps its place value.
std::string KeepDigits(const std::string& digits, int keep) {
    if (keep < 0)
        return {};
    const auto count = static_cast<std::size_t>(keep);
    std::string kept = digits.substr(0, count);
    if (count < digits.size() && digits[count] >= '5') {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9')
            kept[--i] = '0';
        if (i == 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i - 1];
    }
    return kept;
}

std::string GroupThousands(const std::string& integer, const std::string& separator) {
    std::string out;
    const std::size_t n = integer.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += integer[i];
    }
    return out;
}

std::string FormatScientific(const DecimalDigits& decimal, const RegionalSettings& regional) {
    std::string kept = KeepDigits(decimal.digits, kSignificantDigits);
    int exponent = decimal.exponent;
    if (kept.size() > static_cast<std::size_t>(kSignificantDigits)) {
        kept.pop_back();
        ++exponent;
    }
    return (decimal.negative ? "-" : "") + kept.substr(0, 1) + regional.decimalSeparator +
           kept.substr(1) + "E+" + std::to_string(exponent);
}

} // namespace

std::string FormatWhole(std::int32_t value) {
    return std::to_string(value);
}

std::string FormatRatio(long double value, const RegionalSettings& regional) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";

    const DecimalDigits decimal = EighteenDigits(value);
    if (decimal.exponent >= kScientificExponent)
        return FormatScientific(decimal, regional);

    // Digits down to the hundredths, but never more than seven significant ones.
    const int keep = std::min(kSignificantDigits, decimal.exponent + 1 + kDecimals);
    std::string hundredths = KeepDigits(decimal.digits, keep);
    if (keep >= 0)
        hundredths.append(static_cast<std::size_t>(decimal.exponent + 1 + kDecimals - keep), '0');

    hundredths.erase(0, std::min(hundredths.find_first_not_of('0'), hundredths.size()));
    // A value that rounds to zero is written without a sign.
    const bool negative = decimal.negative && !hundredths.empty();
    if (hundredths.size() < kDecimals + 1)
        hundredths.insert(0, kDecimals + 1 - hundredths.size(), '0');

    const std::size_t point = hundredths.size() - kDecimals;
    return (negative ? "-" : "") +
           GroupThousands(hundredths.substr(0, point), regional.thousandSeparator) +
           regional.decimalSeparator + hundredths.substr(point);
}

std::optional<long double> LettersPerWord(const TScoreRec& rec) {
    if (rec.CompletedWords <= 0)
        return std::nullopt;
    return static_cast<long double>(rec.UsedLetters) / static_cast<long double>(rec.CompletedWords);
}

std::optional<long double> SecondsPerWord(const TScoreRec& rec) {
    if (rec.CompletedWords <= 0)
        return std::nullopt;
    return static_cast<long double>(rec.UsedTime) / static_cast<long double>(rec.CompletedWords);
}

std::optional<long double> WordsPerMinute(const TScoreRec& rec) {
    if (rec.UsedTime <= 0)
        return std::nullopt;
    const long double minutes = static_cast<long double>(rec.UsedTime) / 60.0L;
    return static_cast<long double>(rec.CompletedWords) / minutes;
}

} // namespace lexfall
