// SPDX-License-Identifier: GPL-3.0-or-later
// A real HTTP proxy between HttpGet and a loopback server: Debian's tinyproxy, started here on
// 127.0.0.1 with Basic authentication, and stopped on every way out.
#include "support/Tinyproxy.h"
#include "online/HttpAccess.h"
#include "platform/posix/PosixNetwork.h"
#include "platform/posix/TlsConnection.h"
#include "support/LoopbackServer.h"
#include "support/ScratchDir.h"
#include "support/TlsPeer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lexfall {
namespace {

using namespace std::chrono_literals;
using testing::Exchange;
using testing::LoopbackServer;

using testing::Tinyproxy;
constexpr const char* kTinyproxy = testing::kTinyproxyProgram;

TEST(TinyproxyTest, RequestsPassAWithCredentialsAndFailWithTheStatusLineWithout) {
    if (!std::filesystem::exists(kTinyproxy))
        GTEST_SKIP() << "tinyproxy is not installed";
    Tinyproxy proxy;
    ASSERT_TRUE(proxy.Ready());
    LoopbackServer server(
        {{"HTTP/1.1 200 OK\r\nContent-Length: 34\r\n\r\nChampion,10,300,40,3010,2003-03-28"}});
    posix::PosixNetwork network;
    NoCookies cookies;
    HttpAccess http(network, cookies);

    http.proxy = ProxyParams{"127.0.0.1", proxy.Port(), "", ""};
    try {
        http.HttpGet(server.Url("/checkwr.asp"));
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "HTTP/1.0 407 Proxy Authentication Required");
    }

    http.proxy = ProxyParams{"127.0.0.1", proxy.Port(), "joe", "s3cret"};
    EXPECT_EQ(http.HttpGet(server.Url("/getmyrec.asp?u=Joe%20Bloggs%26x%3D1&e=j@x.org&c=1")),
              "Champion,10,300,40,3010,2003-03-28");
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_EQ(request.substr(0, request.find("\r\n")),
              "GET /getmyrec.asp?u=Joe%20Bloggs%26x%3D1&e=j@x.org&c=1 HTTP/1.1");
    EXPECT_NE(request.find("\r\nVia: 1.1 "), std::string::npos) << "it came through the proxy";
    EXPECT_EQ(request.find("Proxy-Authorization"), std::string::npos) << "the proxy keeps it";
}

// https through the proxy: a CONNECT tunnel with the proxy's credentials, the request itself
// in TLS and unseen by the proxy, in origin form.
TEST(TinyproxyTest, HttpsGoesThroughAConnectTunnel) {
    if (!std::filesystem::exists(kTinyproxy))
        GTEST_SKIP() << "tinyproxy is not installed";
    testing::TestAuthority authority;
    ASSERT_TRUE(authority.Ok());
    setenv("SSL_CERT_FILE", authority.CaFile().c_str(), 1);
    Tinyproxy proxy;
    ASSERT_TRUE(proxy.Ready());
    testing::TlsPeer server(authority.Cert("loopback"), authority.Key("loopback"),
                            {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n0"});
    posix::PosixNetwork network(posix::StartLinkedTls);
    NoCookies cookies;
    HttpAccess http(network, cookies);
    const std::string url = server.Url("127.0.0.1", "/club/putmyrec.asp?u=Joe&c=secret");

    http.proxy = ProxyParams{"127.0.0.1", proxy.Port(), "", ""};
    try {
        http.HttpGet(url);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "HTTP/1.0 407 Proxy Authentication Required");
    }
    http.proxy = ProxyParams{"127.0.0.1", proxy.Port(), "joe", "s3cret"};
    EXPECT_EQ(http.HttpGet(url), "0");
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_EQ(request.substr(0, request.find("\r\n")),
              "GET /club/putmyrec.asp?u=Joe&c=secret HTTP/1.1");
    EXPECT_EQ(request.find("Proxy-Authorization"), std::string::npos);
    EXPECT_EQ(request.find("Via:"), std::string::npos) << "the proxy did not read it";
    unsetenv("SSL_CERT_FILE");
}

} // namespace
} // namespace lexfall
