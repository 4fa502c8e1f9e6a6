// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The query of a request target, read the way the game writes it: values go unencoded, so only
// %XX escapes are decoded and "+" stays a plus sign.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace lexfall::server {

class Query {
public:
    // target is the whole request target, path and query.
    explicit Query(std::string_view target);

    // The decoded value of key; nothing when the key is missing, repeated (which one was
    // meant cannot be told) or holds a bad escape.
    std::optional<std::string> Value(std::string_view key) const;

private:
    std::map<std::string, std::optional<std::string>, std::less<>> values_;
};

// %XX decoded; nothing when a "%" is not followed by two hex digits.
std::optional<std::string> PercentDecode(std::string_view text);

} // namespace lexfall::server
