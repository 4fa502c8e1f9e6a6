// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/HttpRequest.h"

#include "text/Error.h"

#include <gtest/gtest.h>

namespace lexfall {
namespace {

constexpr const char* kFixedLines = "Accept: text/html, */*\r\n"
                                    "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";

TEST(UrlTest, SplitsHostPortAndTargetWithTheBackslashAndHashRules) {
    struct Case {
        const char* url;
        const char* host;
        std::uint16_t port;
        const char* target;
    };
    const Case cases[] = {
        {"http://records.example.org/checkwr.asp", "records.example.org", 80, "/checkwr.asp"},
        {"http://h:8080/a?u=Joe Bloggs&e=x", "h", 8080, "/a?u=Joe Bloggs&e=x"},
        {"http://h/a?u=a\\b", "h", 80, "/a?u=a/b"},
        {"http://h\\a\\b", "h", 80, "/a/b"},
        {"http://h/a?u=x#y&e=z", "h", 80, "/a?u=x"},
        {"http://h", "h", 80, "/"},
        {"http://h?x=1", "h", 80, "/?x=1"},
        {"http://h:0/", "h", 0, "/"},
        {"http://h:65535/", "h", 65535, "/"},
        {"https://h/club/checkwr.asp", "h", 443, "/club/checkwr.asp"},
        {"HTTPS://h:8443/", "h", 8443, "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const HttpUrl url = SplitUrl(c.url);
        EXPECT_EQ(url.host, c.host);
        EXPECT_EQ(url.port, c.port);
        EXPECT_EQ(url.target, c.target);
        EXPECT_EQ(url.secure, std::string(c.url).rfind("http:", 0) != 0);
    }
    EXPECT_THROW(SplitUrl("http://h:80x/"), Error);
    EXPECT_THROW(SplitUrl("http://h:65536/"), Error);
}

TEST(HttpRequestTest, DirectRequestIsTheTargetAndTheFourFixedHeaders) {
    EXPECT_EQ(BuildRequest(SplitUrl("http://records.example.org/checkwr.asp"), {}, ""),
              std::string("GET /checkwr.asp HTTP/1.1\r\n"
                          "Content-Type: text/html\r\n"
                          "Host: records.example.org\r\n") +
                  kFixedLines + "\r\n");
}

TEST(HttpRequestTest, ProxiedRequestWritesPort80OutAndHostStillNamesTheServer) {
    const ProxyParams proxy{"10.0.0.1", 3128, "", "secret"};
    EXPECT_EQ(BuildRequest(SplitUrl("http://records.example.org/checkwr.asp"), proxy, ""),
              std::string("GET http://records.example.org:80/checkwr.asp HTTP/1.1\r\n"
                          "Content-Type: text/html\r\n"
                          "Host: records.example.org\r\n") +
                  kFixedLines + "\r\n")
        << "a password without a user name sends no credentials";
}

TEST(HttpRequestTest, OtherPortInHostThenCookiesThenProxyCredentials) {
    const ProxyParams proxy{"10.0.0.1", 3128, "joe", "s:cret"};
    EXPECT_EQ(BuildRequest(SplitUrl("http://h:8080/a?u=x y"), proxy, "id=7; lang=en"),
              std::string("GET http://h:8080/a?u=x y HTTP/1.1\r\n"
                          "Content-Type: text/html\r\n"
                          "Host: h:8080\r\n") +
                  kFixedLines +
                  "Cookie: id=7; lang=en\r\n"
                  "Proxy-Authorization: Basic am9lOnM6Y3JldA==\r\n"
                  "\r\n");
    EXPECT_EQ(BuildRequest(SplitUrl("http://h:8080/"), ProxyParams{"", 0, "joe", "pw"}, ""),
              std::string("GET / HTTP/1.1\r\nContent-Type: text/html\r\nHost: h:8080\r\n") +
                  kFixedLines + "\r\n")
        << "credentials go only to a proxy";
}

// https: the port is written out in Host unless it is 443; through a proxy the tunnel is asked
// for with the host and port, the proxy's credentials when it has a user name, and nothing of
// the request itself.
TEST(HttpRequestTest, HttpsHostAndTheConnectRequest) {
    EXPECT_EQ(BuildRequest(SplitUrl("https://h/club/checkwr.asp"), {}, ""),
              std::string("GET /club/checkwr.asp HTTP/1.1\r\nContent-Type: text/html\r\n"
                          "Host: h\r\n") +
                  kFixedLines + "\r\n");
    EXPECT_NE(BuildRequest(SplitUrl("https://h:80/"), {}, "").find("\r\nHost: h:80\r\n"),
              std::string::npos);
    EXPECT_EQ(BuildConnectRequest(SplitUrl("https://h/getmyrec.asp?c=secret"),
                                  ProxyParams{"10.0.0.1", 3128, "joe", "s:cret"}),
              "CONNECT h:443 HTTP/1.1\r\nHost: h:443\r\n"
              "Proxy-Authorization: Basic am9lOnM6Y3JldA==\r\n\r\n");
    EXPECT_EQ(BuildConnectRequest(SplitUrl("https://h:8443/"), ProxyParams{"p", 1, "", "pw"}),
              "CONNECT h:8443 HTTP/1.1\r\nHost: h:8443\r\n\r\n");
}

TEST(HttpRequestTest, ProxyPortIsTheLow16BitsUnsigned) {
    EXPECT_EQ((ProxyParams{"h", -1, "", ""}.ConnectPort()), 65535);
    EXPECT_EQ((ProxyParams{"h", -32768, "", ""}.ConnectPort()), 32768);
    EXPECT_EQ((ProxyParams{"h", 3128, "", ""}.ConnectPort()), 3128);
}

} // namespace
} // namespace lexfall
