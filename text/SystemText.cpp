// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SystemText.h"

#include <array>
#include <cstdint>

namespace lexfall {
namespace {

// Windows-1252 from 0x80 to 0x9F; the five unassigned bytes keep their C1 code points.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Cp1252(std::uint8_t byte) {
    return byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : char32_t{byte};
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsContinuation(std::uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

} // namespace

std::size_t Utf8CharLength(std::string_view text) {
    if (text.empty())
        return 0;
    const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    std::uint8_t low = 0x80; // the range the second byte must lie in
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // beyond U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsContinuation(at(i)))
            return 0;
    return length;
}

std::string ShownUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = Utf8CharLength(text);
        if (length > 0) {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        } else {
            AppendUtf8(out, Cp1252(static_cast<std::uint8_t>(text.front())));
            text.remove_prefix(1);
        }
    }
    return out;
}

std::string_view KeepFirstBytes(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    // Walk whole characters (a stray byte counts as one) up to the limit.
    std::size_t kept = 0;
    while (kept < limit) {
        const std::size_t length = Utf8CharLength(text.substr(kept));
        const std::size_t step = length > 0 ? length : 1;
        if (kept + step > limit)
            break;
        kept += step;
    }
    return text.substr(0, kept);
}

} // namespace lexfall
