// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>

namespace lexfall {

// The web browser's proxy settings, as the values of the browser's settings key: each value
// is missing when the browser does not set it.
struct BrowserProxyValues {
    std::optional<std::string> ProxyServer; // "host:port"
    std::optional<std::string> ProxyUsername;
    std::optional<std::string> ProxyPassword;
    // Hosts reached directly, as no_proxy lists them.
    std::optional<std::string> NoProxy = std::nullopt;
    // Set when the browser names a proxy that is not an HTTP proxy (a SOCKS one, say): why it
    // cannot be used. The other values are then empty.
    std::optional<std::string> Unusable = std::nullopt;
};

class BrowserProxy {
public:
    virtual ~BrowserProxy() = default;
    // Nothing when the browser keeps no proxy settings at all.
    virtual std::optional<BrowserProxyValues> Read() const = 0;
};

} // namespace lexfall
