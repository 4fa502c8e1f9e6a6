// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/Url.h"

#include "text/Error.h"
#include "text/Text.h"

#include <algorithm>

namespace lexfall {

HttpUrl SplitUrl(std::string_view url) {
    std::string text(url.substr(0, url.find('#')));
    std::replace(text.begin(), text.end(), '\\', '/');
    std::string_view rest = text;
    HttpUrl result;
    if (const auto scheme = rest.find("://"); scheme != std::string_view::npos) {
        result.secure = text::EqualNoCase(rest.substr(0, scheme), "https");
        rest.remove_prefix(scheme + 3);
    }
    result.port = result.DefaultPort();

    const auto authorityEnd = rest.find_first_of("/?");
    const std::string_view authority = rest.substr(0, authorityEnd);
    result.target =
        authorityEnd == std::string_view::npos ? "/" : std::string(rest.substr(authorityEnd));
    if (result.target.front() == '?')
        result.target.insert(0, "/");

    const auto colon = authority.find(':');
    result.host = std::string(authority.substr(0, colon));
    if (colon != std::string_view::npos) {
        const std::string_view portText = authority.substr(colon + 1);
        const std::int32_t port = text::StrToInt(portText);
        if (port < 0 || port > 65535)
            throw Error("'" + std::string(portText) + "' is not a valid integer value");
        result.port = static_cast<std::uint16_t>(port);
    }
    return result;
}

std::string CookieUrl(const HttpUrl& url) {
    return (url.secure ? "https://" : "http://") + url.host + ":" + std::to_string(url.port) +
           url.target;
}

} // namespace lexfall
