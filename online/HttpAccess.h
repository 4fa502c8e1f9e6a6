// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "online/HttpRequest.h"
#include "platform/CookieStore.h"
#include "platform/Network.h"

#include <atomic>
#include <chrono>
#include <string>

namespace lexfall {

// How long a request waits.
struct HttpLimits {
    std::chrono::milliseconds connect{500};
    // No data at all for this long ends a reply that is being read: a server that accepts and
    // never answers must not hold the window for ever.
    std::chrono::milliseconds idle{60000};
    // The body of an error reply is dropped until this long passes without data.
    std::chrono::milliseconds drain{2000};
    // The whole exchange, from the name lookup to the last byte: a server trickling its reply
    // must not hold the window either.
    std::chrono::milliseconds whole{60000};
};

// The game's HTTP client: single GET requests, each on a connection of its own, directly or
// through the proxy that SetProxy put into `proxy`; https through the proxy's CONNECT tunnel.
class HttpAccess {
public:
    HttpAccess(Network& network, CookieStore& cookies, HttpLimits limits = {})
        : network_(network), cookies_(cookies), limits_(limits) {}

    // Sends one GET request for url and returns the reply's body byte for byte. Throws Error:
    // "Connect timed out.", a SocketError, "Connection Closed Gracefully.", "Max line length
    // exceeded.", "Reply too large.", "Read timed out.", a reply to the close cut by a close
    // without TLS's goodbye (http::ClosedWithoutGoodbye), or the status line of a reply outside
    // the 200s or with a Location (redirects are not followed), or the TLS failure naming the
    // host. Past the whole limit it fails as a timeout; once *cancelled is set (from any
    // thread) it ends soon with RequestCancelled.
    std::string HttpGet(const std::string& url, const std::atomic<bool>* cancelled = nullptr);

    ProxyParams proxy;

private:
    Network& network_;
    CookieStore& cookies_;
    HttpLimits limits_;
};

} // namespace lexfall
