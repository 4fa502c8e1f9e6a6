// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace lexfall {

// An absolute http or https URL as a request uses it.
struct HttpUrl {
    bool secure = false; // https
    std::string host;
    std::uint16_t port = 80;
    std::string target; // the path with document and query, always beginning "/"

    std::uint16_t DefaultPort() const { return secure ? 443 : 80; }
};

// Splits "http://host[:port]/path?query" (or https, whose port is 443 unless given). Nothing is
// percent-encoded: the URL goes on the wire as it is, except that every backslash becomes "/" and a
// "#" ends it. A port that is not a number from 0 to 65535 raises the conversion error.
HttpUrl SplitUrl(std::string_view url);

// The URL as the cookie store matches it: "http://host:port/target" (or https).
std::string CookieUrl(const HttpUrl& url);

} // namespace lexfall
