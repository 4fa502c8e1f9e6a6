// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace lexfall {

// What a server may leave with the game, near the least a browser must keep (50 cookies of
// 4096 bytes a site): enough for any session a records server keeps, too little for a server
// to slow an exchange down or make later requests too large for a server to take.
struct CookieLimits {
    // Set-Cookie lines taken from one reply; the rest are ignored.
    static constexpr std::size_t kPerReply = 50;
    // A cookie line longer than this is ignored.
    static constexpr std::size_t kLineBytes = 4096;
    // Cookies kept for one server; one more is refused until one goes.
    static constexpr std::size_t kPerServer = 50;
    // The Cookie header sent: the cookies that do not fit are left out.
    static constexpr std::size_t kHeaderBytes = 4096;
};

// The cookies of the run, held in memory only. Urls are absolute: "http://host:port/target".
class CookieStore {
public:
    virtual ~CookieStore() = default;
    // Keeps the cookies that a reply for url set: the values of its Set-Cookie and
    // Set-Cookie2 headers, within CookieLimits.
    virtual void Store(const std::string& url, const std::vector<std::string>& setCookies) = 0;
    // The value of the Cookie header for a request for url, at most CookieLimits::kHeaderBytes;
    // empty when no cookie matches.
    virtual std::string CookieHeader(const std::string& url) = 0;
};

// A store that keeps nothing.
class NoCookies final : public CookieStore {
public:
    void Store(const std::string&, const std::vector<std::string>&) override {}
    std::string CookieHeader(const std::string&) override { return {}; }
};

} // namespace lexfall
