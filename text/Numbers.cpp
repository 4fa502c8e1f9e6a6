// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Numbers.h"

#include <algorithm>

namespace lexfall::text {

std::optional<std::int32_t> ParseDigits(std::string_view text) {
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::int32_t value = 0;
    if (!ParseWhole(text, value))
        return std::nullopt;
    return value;
}

} // namespace lexfall::text
