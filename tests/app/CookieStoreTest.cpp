// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CookieModuleLoader.h"
#include "online/HttpAccess.h"
#include "platform/posix/PosixNetwork.h"
#include "platform/qt/QtCookieStore.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

namespace lexfall::testing {
namespace {

// A cookie set by one reply goes back with the next request to the same server.
TEST(CookieStoreTest, RoundTripThroughHttpGet) {
    LoopbackServer server({
        {"HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; Path=/\r\nContent-Length: 1\r\n\r\n0"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n0"},
    });
    posix::PosixNetwork network;
    QtCookieStore cookies;
    HttpAccess http(network, cookies);
    http.HttpGet(server.Url("/checkwr.asp"));
    http.HttpGet(server.Url("/getmyrec.asp?u=a"));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
    EXPECT_NE(requests[1].find("\r\nCookie: sid=abc\r\n\r\n"), std::string::npos) << requests[1];
}

// The window's store loads the cookie module only at the first request, then keeps the cookies
// as the jar does; without the module the run keeps none and requests still go out.
TEST(CookieStoreTest, TheWindowsStoreLoadsTheModuleAtTheFirstRequest) {
    struct Case {
        const char* name;
        std::string moduleDir;
        bool kept;
    };
    const Case cases[] = {
        {"module beside the program", std::string(LEXFALL_BIN_DIR) + "/", true},
        {"module missing", "/nonexistent/", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server({
            {"HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; Path=/\r\nContent-Length: 1\r\n\r\n0"},
            {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n0"},
        });
        posix::PosixNetwork network;
        LazyCookieStore cookies(c.moduleDir);
        HttpAccess http(network, cookies);
        EXPECT_FALSE(cookies.Made());
        http.HttpGet(server.Url("/checkwr.asp"));
        EXPECT_TRUE(cookies.Made());
        http.HttpGet(server.Url("/getmyrec.asp?u=a"));
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[1].find("\r\nCookie: sid=abc\r\n") != std::string::npos, c.kept)
            << requests[1];
    }
}

// Host, path and expiry decide which cookies go with a request.
TEST(CookieStoreTest, MatchesHostPathAndExpiry) {
    QtCookieStore cookies;
    cookies.Store("http://a.example:80/app/x.asp", {"id=7; Path=/", "deep=1; Path=/app/inner",
                                                    "gone=1; Expires=Wed, 01 Jan 2020 00:00:00 GMT",
                                                    "sub=2; Domain=.a.example; Path=/"});
    cookies.Store("http://b.example:80/", {"other=1"});
    EXPECT_EQ(cookies.CookieHeader("http://a.example:80/y.asp"), "id=7; sub=2");
    EXPECT_EQ(cookies.CookieHeader("http://a.example:80/app/inner/z"), "deep=1; id=7; sub=2");
    EXPECT_EQ(cookies.CookieHeader("http://www.a.example:80/"), "sub=2");
    EXPECT_EQ(cookies.CookieHeader("http://c.example:80/"), "");
}

// A server that floods the game with cookies keeps a few: later requests carry a bounded
// Cookie header and still reach the server.
TEST(CookieStoreTest, AFloodOfCookiesIsCutToTheLimits) {
    std::string flood = "HTTP/1.1 200 OK\r\n";
    // Nearly the megabyte a reply may hold, in lines of 40 bytes.
    for (int i = 0; i < 20000; ++i)
        flood += "Set-Cookie: c" + std::to_string(100000 + i) + "=" + std::string(20, 'v') + "\r\n";
    flood += "Content-Length: 1\r\n\r\n0";
    LoopbackServer server({{flood}, {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n0"}});
    posix::PosixNetwork network;
    QtCookieStore cookies;
    HttpAccess http(network, cookies);
    EXPECT_EQ(http.HttpGet(server.Url("/checkwr.asp")), "0");
    EXPECT_EQ(http.HttpGet(server.Url("/checkwr.asp")), "0");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto at = requests[1].find("\r\nCookie: ");
    ASSERT_NE(at, std::string::npos) << requests[1];
    const std::string header =
        requests[1].substr(at + 10, requests[1].find("\r\n", at + 2) - at - 10);
    EXPECT_LE(header.size(), CookieLimits::kHeaderBytes);
    EXPECT_NE(header.find("c100000="), std::string::npos) << "the first cookies are kept";
    EXPECT_EQ(header.find("c100050="), std::string::npos) << "past the per-reply limit";
}

// Each server keeps at most its share; a cookie it already has may still change, another
// server's are apart, and an oversized cookie is never kept.
TEST(CookieStoreTest, PerServerCountAndCookieSize) {
    QtCookieStore cookies;
    const std::string a = "http://a.example:80/";
    for (std::size_t i = 0; i < CookieLimits::kPerServer + 5; ++i)
        cookies.Store(a, {"n" + std::to_string(i) + "=1"});
    cookies.Store(a, {"n0=changed", "big=" + std::string(CookieLimits::kLineBytes, 'x')});
    cookies.Store("http://b.example:80/", {"other=1"});
    const std::string header = cookies.CookieHeader(a);
    std::size_t count = 0;
    for (std::size_t at = 0; (at = header.find('=', at)) != std::string::npos; ++at)
        ++count;
    EXPECT_EQ(count, CookieLimits::kPerServer) << header;
    EXPECT_NE(header.find("n0=changed"), std::string::npos) << header;
    EXPECT_EQ(header.find("n" + std::to_string(CookieLimits::kPerServer) + "="), std::string::npos);
    EXPECT_EQ(header.find("big="), std::string::npos);
    EXPECT_EQ(cookies.CookieHeader("http://b.example:80/"), "other=1");
}

// The header sent stops before its limit, whatever the cookies kept add up to.
TEST(CookieStoreTest, TheCookieHeaderStaysWithinItsLimit) {
    QtCookieStore cookies;
    for (int i = 0; i < 10; ++i)
        cookies.Store("http://a.example:80/",
                      {"k" + std::to_string(i) + "=" + std::string(1000, 'v')});
    const std::string header = cookies.CookieHeader("http://a.example:80/");
    EXPECT_LE(header.size(), CookieLimits::kHeaderBytes);
    EXPECT_GE(header.size(), 3 * 1003u) << "as many whole cookies as fit";
}

} // namespace
} // namespace lexfall::testing
