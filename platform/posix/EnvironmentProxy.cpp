#include "platform/posix/EnvironmentProxy.h"

#include "text/Text.h"

#include <cstdlib>

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
    if (const auto scheme = text.find("://"); scheme != std::string_view::npos)
        text.remove_prefix(scheme + 3);
    text = text.substr(0, text.find_first_of("/?#"));
    BrowserProxyValues values;
    if (const auto at = text.rfind('@'); at != std::string_view::npos) {
        const std::string_view user = text.substr(0, at);
        const auto colon = user.find(':');
        values.ProxyUsername = PercentDecode(user.substr(0, colon));
        values.ProxyPassword =
            colon == std::string_view::npos ? std::string() : PercentDecode(user.substr(colon + 1));
        text.remove_prefix(at + 1);
    }
    values.ProxyServer = std::string(text);
    return values;
}

std::optional<BrowserProxyValues> EnvironmentProxy::Read() const {
    for (const char* name : {"http_proxy", "HTTP_PROXY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return ProxyValuesFromVariable(value);
    }
    return std::nullopt;
}

} // namespace lexfall::posix
