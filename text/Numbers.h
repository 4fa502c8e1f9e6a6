// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The integer readers side by side. Each input has its own rules, kept on purpose:
// - ParseWhole: the whole text in a base, a '-' only for signed types; HTTP sizes and codes.
// - ParseDigits: decimal digits only, no sign; the counts of a record text.
// - text::ParseDecimal / text::StrToInt (Text.h): an optional '+' or '-'; StrToInt throws.
// - profile::ParseInteger (settings/ProfileFile.h): ParseDecimal, or "0x" hex filling 32 bits.
// - WholeNumberIn (server/main.cpp): std::stoll with a range, so a command line may carry
//   leading blanks or a '+', as it always could.
// Two more read only text written by this system: the exponent of printf's own output
// (records/Figures.cpp, strtol) and database columns (server/*Store.cpp, std::stoi).
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lexfall::text {

// False on an empty text, a stray character or a value out of range.
template <typename Number> bool ParseWhole(std::string_view text, Number& value, int base = 10) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// Nothing for an empty text, a sign, a blank or a value past 32 bits.
std::optional<std::int32_t> ParseDigits(std::string_view text);

} // namespace lexfall::text
