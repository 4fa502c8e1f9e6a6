// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Small text helpers shared by the game, its settings and the records exchange. Single-byte
// text: case rules touch only the ASCII letters.
namespace lexfall::text {

char LowerAscii(char c);
// Equal without regard to ASCII case: "UserName" equals "Username".
bool EqualNoCase(std::string_view a, std::string_view b);
// The text with its ASCII capitals made small; other bytes as they are.
std::string LowerAsciiText(std::string_view text);
bool ContainsNoCase(std::string_view text, std::string_view part);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// An ASCII control character: below space, or DEL. Bytes above 127 are not.
bool IsControlAscii(char c);
// Spaces and tabs off the start, or off both ends, as header and INI lines are read.
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view TrimBlanks(std::string_view text);
// The text with every blank (the space character) taken out.
std::string RemoveBlanks(std::string_view text);

// A signed 32-bit decimal with an optional sign, nothing else: no blanks, no digit grouping.
std::optional<std::int32_t> ParseDecimal(std::string_view text);

// The value of one hexadecimal digit in either case; -1 for any other character.
int HexDigitValue(char c);

// Base64 with padding, as HTTP Basic credentials carry it.
std::string Base64(std::string_view bytes);

// As ParseDecimal; anything else throws Error("'" + text + "' is not a valid integer value").
std::int32_t StrToInt(std::string_view text);

} // namespace lexfall::text
