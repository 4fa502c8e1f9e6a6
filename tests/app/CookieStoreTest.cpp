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

} // namespace
} // namespace lexfall::testing
