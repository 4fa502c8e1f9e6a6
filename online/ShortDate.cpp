// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/ShortDate.h"

#include "text/DayCount.h"

#include <cstdio>

namespace lexfall {
namespace {

// %D and %F are shorthands for whole patterns.
std::string Expanded(std::string_view pattern) {
    std::string expanded;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            const char conversion = pattern[++i];
            if (conversion == 'D')
                expanded += "%m/%d/%y";
            else if (conversion == 'F')
                expanded += "%Y-%m-%d";
            else
                expanded += std::string{'%', conversion};
        } else {
            expanded += pattern[i];
        }
    }
    return expanded;
}

std::string Number(int value, int width, char pad = '0') {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), pad);
    return digits;
}

constexpr int kFirstYear = 1900;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Up to maxDigits decimal digits at text[at]; at least one.
std::optional<int> ReadNumber(std::string_view text, std::size_t& at, std::size_t maxDigits) {
    int value = 0;
    std::size_t count = 0;
    while (at < text.size() && count < maxDigits && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++count;
    }
    if (count == 0)
        return std::nullopt;
    return value;
}

} // namespace

std::string FormatShortDate(double dayCount, const ShortDateFormat& format) {
    const CivilDate date = CivilFromDayCount(dayCount);
    const std::string pattern = Expanded(format.pattern);
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            text += pattern[i];
            continue;
        }
        switch (const char conversion = pattern[++i]) {
        case 'd':
            text += Number(date.day, 2);
            break;
        case 'e':
            text += Number(date.day, 2, ' ');
            break;
        case 'm':
            text += Number(date.month, 2);
            break;
        case 'y':
            text += Number(date.year % 100, 2);
            break;
        case 'Y':
            text += Number(date.year, 4);
            break;
        case '%':
            text += '%';
            break;
        default:
            text += std::string{'%', conversion};
            break;
        }
    }
    return text;
}

std::optional<double> ParseShortDate(std::string_view text, const ShortDateFormat& format) {
    const std::string pattern = Expanded(format.pattern);
    std::optional<int> day, month, year;
    std::size_t at = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            if (at >= text.size() || text[at] != pattern[i])
                return std::nullopt;
            ++at;
            continue;
        }
        switch (const char conversion = pattern[++i]) {
        case 'e':
            if (at < text.size() && text[at] == ' ')
                ++at;
            [[fallthrough]];
        case 'd':
            day = ReadNumber(text, at, 2);
            if (!day)
                return std::nullopt;
            break;
        case 'm':
            month = ReadNumber(text, at, 2);
            if (!month)
                return std::nullopt;
            break;
        case 'y':
        case 'Y': {
            const std::size_t start = at;
            year = ReadNumber(text, at, 4);
            if (!year)
                return std::nullopt;
            // Two digits name the year nearest to this one, whichever year the format shows
            // ("28.3.03" where dates read "28.3.2003"); more are the year itself.
            if (at - start <= 2) {
                const int lowest = format.currentYear - 50;
                year = lowest + ((*year - lowest) % 100 + 100) % 100;
            }
            break;
        }
        default: {
            // "%%" stands for "%"; a conversion without a number is written as it stands.
            const std::string literal =
                conversion == '%' ? std::string("%") : std::string{'%', conversion};
            if (text.substr(at, literal.size()) != literal)
                return std::nullopt;
            at += literal.size();
            break;
        }
        }
    }
    if (at != text.size() || !day || !month || !year)
        return std::nullopt;
    // A record's date is a day count from the end of 1899; nothing before 1900 is a record's.
    if (*year < kFirstYear || *month < 1 || *month > 12 || *day < 1 ||
        *day > DaysInMonth(*year, *month))
        return std::nullopt;
    return DayCountFromCivil({*year, *month, *day});
}

} // namespace lexfall
