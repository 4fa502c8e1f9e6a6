// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "online/Url.h"

#include <cstdint>
#include <string>

namespace lexfall {

// The proxy parameters of the HTTP access, set only by SetProxy. A request goes through the
// proxy when, and only when, host is not empty.
struct ProxyParams {
    std::string host;
    std::int32_t port = 0; // as the settings hold it; the connection takes its low 16 bits
    std::string user;
    std::string password;
    std::string noProxy{}; // hosts reached directly, as no_proxy lists them

    bool InUse() const { return !host.empty(); }
    std::uint16_t ConnectPort() const { return static_cast<std::uint16_t>(port & 0xFFFF); }
};

// The bytes of one GET request for url: the request line and the header lines in their fixed
// order, then the empty line. cookies is the Cookie header's value, sent only when not empty.
// Through a proxy (proxy.InUse()) the request line carries the absolute URL with the port
// written out, and a proxy user name adds Basic credentials after the fixed lines.
// An https request goes through a proxy's tunnel, unread by the proxy: it is built with no
// proxy, as for a direct connection.
std::string BuildRequest(const HttpUrl& url, const ProxyParams& proxy, const std::string& cookies);

// The request that asks the proxy for a tunnel to url's host and port, with the proxy's Basic
// credentials when it has a user name.
std::string BuildConnectRequest(const HttpUrl& url, const ProxyParams& proxy);

} // namespace lexfall
