#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace lexfall {

// An absolute http URL as a request uses it.
struct HttpUrl {
    std::string host;
    std::uint16_t port = 80;
    std::string target; // the path with document and query, always beginning "/"
};

// Splits "http://host[:port]/path?query". Nothing is percent-encoded: the URL goes on the wire
// as it is, except that every backslash becomes "/" and a "#" ends it. A port that is not a
// number from 0 to 65535 raises the conversion error.
HttpUrl SplitUrl(std::string_view url);

// The URL as the cookie store matches it: "http://host:port/target".
std::string CookieUrl(const HttpUrl& url);

} // namespace lexfall
