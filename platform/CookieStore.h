#pragma once
#include <string>
#include <vector>

namespace lexfall {

// The cookies of the run, held in memory only. Urls are absolute: "http://host:port/target".
class CookieStore {
public:
    virtual ~CookieStore() = default;
    // Keeps the cookies that a reply for url set: the values of its Set-Cookie and
    // Set-Cookie2 headers.
    virtual void Store(const std::string& url, const std::vector<std::string>& setCookies) = 0;
    // The value of the Cookie header for a request for url; empty when no cookie matches.
    virtual std::string CookieHeader(const std::string& url) = 0;
};

// A store that keeps nothing.
class NoCookies final : public CookieStore {
public:
    void Store(const std::string&, const std::vector<std::string>&) override {}
    std::string CookieHeader(const std::string&) override { return {}; }
};

} // namespace lexfall
