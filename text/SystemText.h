// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace lexfall {

// The system's single-byte text is the locale's encoding, UTF-8. Bytes that are not UTF-8 (a
// record file or settings file written on another system) are read as Windows-1252, one
// character per byte, so no byte is ever dropped from what the player sees.

// The number of bytes of the UTF-8 character that text starts with; 0 when it starts with a
// byte that begins no valid character (overlong forms and surrogates included).
std::size_t Utf8CharLength(std::string_view text);

// The text as valid UTF-8: valid characters kept, every other byte replaced by the UTF-8 form
// of its Windows-1252 character.
std::string ShownUtf8(std::string_view text);

// At most the first `limit` bytes of text, as a limit counted in single-byte characters keeps
// them; the cut backs off to the start of a UTF-8 character it would split.
std::string_view KeepFirstBytes(std::string_view text, std::size_t limit);

} // namespace lexfall
