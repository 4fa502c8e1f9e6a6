// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/EnvironmentProxy.h"

#include "text/Text.h"

#include <cstdlib>
#include <initializer_list>

namespace lexfall::posix {
namespace {

// "%41" becomes "A"; a "%" not followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && text::HexDigitValue(text[i + 1]) >= 0 &&
            text::HexDigitValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(text::HexDigitValue(text[i + 1]) * 16 +
                                         text::HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

} // namespace

BrowserProxyValues ProxyValuesFromVariable(std::string_view text) {
    BrowserProxyValues values;
    if (const auto scheme = text.find("://"); scheme != std::string_view::npos) {
        if (!text::EqualNoCase(text.substr(0, scheme), "http")) {
            values.Unusable = " The proxy \"" + std::string(text.substr(0, scheme + 3)) + "...\" " +
                              "from http_proxy is not an HTTP proxy; the game can use only an " +
                              "HTTP proxy. ";
            return values;
        }
        text.remove_prefix(scheme + 3);
    }
    text = text.substr(0, text.find_first_of("/?#"));
    // Without a user part the proxy takes no login: credentials kept for another proxy must
    // not be sent to this one.
    values.ProxyUsername = std::string();
    values.ProxyPassword = std::string();
    if (const auto at = text.rfind('@'); at != std::string_view::npos) {
        const std::string_view user = text.substr(0, at);
        const auto colon = user.find(':');
        values.ProxyUsername = PercentDecode(user.substr(0, colon));
        if (colon != std::string_view::npos)
            values.ProxyPassword = PercentDecode(user.substr(colon + 1));
        text.remove_prefix(at + 1);
    }
    values.ProxyServer = std::string(text);
    // A variable is one whole proxy: without a port it is the http scheme's own, so no stored
    // port (and with it the stored host) survives into it.
    const auto bracket = text.rfind(']');
    const auto portColon = text.find(':', bracket == std::string_view::npos ? 0 : bracket);
    if (!text.empty() && portColon == std::string_view::npos)
        *values.ProxyServer += ":80";
    return values;
}

std::optional<BrowserProxyValues> EnvironmentProxy::Read() const {
    const auto variable = [](std::initializer_list<const char*> names) -> const char* {
        for (const char* name : names) {
            const char* value = std::getenv(name);
            if (value != nullptr && *value != '\0')
                return value;
        }
        return nullptr;
    };
    const char* proxy = variable({"http_proxy", "HTTP_PROXY"});
    if (proxy == nullptr)
        return std::nullopt;
    BrowserProxyValues values = ProxyValuesFromVariable(proxy);
    if (const char* noProxy = variable({"no_proxy", "NO_PROXY"}))
        values.NoProxy = noProxy;
    return values;
}

} // namespace lexfall::posix
