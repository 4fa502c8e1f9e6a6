// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Query.h"

#include "text/Text.h"

namespace lexfall::server {

std::optional<std::string> PercentDecode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = text::HexDigitValue(text[i + 1]);
        const int low = text::HexDigitValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

Query::Query(std::string_view target) {
    const std::size_t mark = target.find('?');
    if (mark == std::string_view::npos)
        return;
    std::string_view rest = target.substr(mark + 1);
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        if (pair.empty())
            continue;
        const std::size_t equals = pair.find('=');
        const auto key = PercentDecode(pair.substr(0, equals));
        if (!key)
            continue;
        const std::string_view raw =
            equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
        const auto [slot, inserted] = values_.try_emplace(*key, PercentDecode(raw));
        if (!inserted)
            slot->second.reset();
    }
}

std::optional<std::string> Query::Value(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

} // namespace lexfall::server
