// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Text.h"

#include "text/Error.h"

#include <algorithm>
#include <charconv>

namespace lexfall::text {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string LowerAsciiText(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), LowerAscii);
    return lowered;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (EqualNoCase(text.substr(at, part.size()), part))
            return true;
    }
    return false;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool IsControlAscii(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

namespace {
bool IsSpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

std::string_view TrimLeadingBlanks(std::string_view text) {
    while (!text.empty() && IsSpaceOrTab(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view TrimBlanks(std::string_view text) {
    text = TrimLeadingBlanks(text);
    while (!text.empty() && IsSpaceOrTab(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string RemoveBlanks(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (c != ' ')
            kept += c;
    }
    return kept;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 3; ++j)
            group = group << 8 | (j < count ? static_cast<unsigned char>(bytes[i + j]) : 0U);
        for (std::size_t j = 0; j < 4; ++j)
            encoded += j <= count ? kDigits[(group >> (18 - 6 * j)) & 0x3F] : '=';
    }
    return encoded;
}

std::optional<std::int32_t> ParseDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-')
            return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::int32_t StrToInt(std::string_view text) {
    const auto value = ParseDecimal(text);
    if (!value)
        throw Error("'" + std::string(text) + "' is not a valid integer value");
    return *value;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace lexfall::text
