// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/HttpAccess.h"

#include "online/HttpFailures.h"
#include "platform/posix/PosixNetwork.h"
#include "support/LoopbackServer.h"
#include "support/ScriptedNetwork.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

namespace lexfall {
namespace {

using namespace std::chrono_literals;
using testing::Exchange;
using testing::LoopbackServer;

constexpr const char* kFixedLines = "Accept: text/html, */*\r\n"
                                    "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";

// Keeps what it is given, by URL, and hands back one fixed cookie line.
class RecordingCookies final : public CookieStore {
public:
    std::map<std::string, std::vector<std::string>> stored;
    std::string header;
    void Store(const std::string& url, const std::vector<std::string>& cookies) override {
        stored[url] = cookies;
    }
    std::string CookieHeader(const std::string&) override { return header; }
};

class HttpGetTest : public ::testing::Test {
protected:
    // The body, or the text of the error raised.
    std::string Get(const std::string& url, HttpLimits limits = {}) {
        return GetOver(network, url, limits);
    }
    std::string GetOver(Network& over, const std::string& url, HttpLimits limits = {}) {
        HttpAccess http(over, cookies, limits);
        http.proxy = proxy;
        try {
            return http.HttpGet(url);
        } catch (const Error& error) {
            return std::string("error: ") + error.what();
        }
    }
    static Exchange Ok(const std::string& body) {
        return {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                body};
    }

    posix::PosixNetwork network;
    RecordingCookies cookies;
    ProxyParams proxy;
};

// The world-record request goes on the wire exactly so, to the server named in the URL.
TEST_F(HttpGetTest, DirectRequestBytes) {
    LoopbackServer server({Ok("Champion,10,300,40,3010,2003-03-28")});
    EXPECT_EQ(Get(server.Url("/checkwr.asp")), "Champion,10,300,40,3010,2003-03-28");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "GET /checkwr.asp HTTP/1.1\r\n"
                                    "Content-Type: text/html\r\n"
                                    "Host: 127.0.0.1:" +
                                        std::to_string(server.Port()) + "\r\n" + kFixedLines +
                                        "\r\n");
}

// Through a proxy: the connection goes to the proxy, the request line carries the absolute URL
// with port 80 written out, and Host names the server.
TEST_F(HttpGetTest, ProxiedRequestBytes) {
    LoopbackServer proxyServer({Ok("0")});
    proxy = ProxyParams{"LocalHost", proxyServer.Port(), "", ""};
    EXPECT_EQ(Get("http://records.lexfall.example.org/checkwr.asp"), "0");
    ASSERT_EQ(proxyServer.Requests().size(), 1u);
    EXPECT_EQ(proxyServer.Requests()[0],
              std::string("GET http://records.lexfall.example.org:80/checkwr.asp HTTP/1.1\r\n"
                          "Content-Type: text/html\r\n"
                          "Host: records.lexfall.example.org\r\n") +
                  kFixedLines + "\r\n");
}

// A host that no_proxy lists is reached directly, with the direct request's bytes.
TEST_F(HttpGetTest, NoProxyHostsGoDirectly) {
    LoopbackServer server({Ok("0")});
    proxy =
        ProxyParams{"127.0.0.1", testing::RefusedPort(), "joe", "pw", "localhost, .lan,127.0.0.1"};
    EXPECT_EQ(Get(server.Url("/club/checkwr.asp")), "0");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].substr(0, server.Requests()[0].find("\r\n")),
              "GET /club/checkwr.asp HTTP/1.1");
    EXPECT_EQ(server.Requests()[0].find("Proxy-Authorization"), std::string::npos);
}

// A query goes as it is: the blank unchanged, the backslash as "/", cut at "#".
TEST_F(HttpGetTest, QueryCharactersOnTheWire) {
    LoopbackServer server({Ok("1"), Ok("1")});
    Get(server.Url("/getmyrec.asp?u=Joe Bloggs&e=a\\b&c=1"));
    Get(server.Url("/getmyrec.asp?u=x#y&e=z"));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")),
              "GET /getmyrec.asp?u=Joe Bloggs&e=a/b&c=1 HTTP/1.1");
    EXPECT_EQ(requests[1].substr(0, requests[1].find("\r\n")), "GET /getmyrec.asp?u=x HTTP/1.1");
}

// How replies end up for the caller, over a real connection.
TEST_F(HttpGetTest, RepliesAsTheCallerSeesThem) {
    struct Case {
        const char* name;
        Exchange exchange;
        std::string expected;
    };
    const Case cases[] = {
        {"302 is not followed",
         {"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/\r\nContent-Length: 3\r\n\r\nabc"},
         "error: HTTP/1.1 302 Found"},
        {"200 with a Location",
         {"HTTP/1.1 200 OK\r\nLocation: /x\r\nContent-Length: 1\r\n\r\n0"},
         "error: HTTP/1.1 200 OK"},
        {"404", {"HTTP/1.1 404 Not Found\r\n\r\nnot here"}, "error: HTTP/1.1 404 Not Found"},
        {"407",
         {"HTTP/1.1 407 Proxy Authentication Required\r\nContent-Length: 0\r\n\r\n"},
         "error: HTTP/1.1 407 Proxy Authentication Required"},
        {"304", {"HTTP/1.1 304 Not Modified\r\n\r\n"}, "error: HTTP/1.1 304 Not Modified"},
        {"200 with length 0",
         {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", 0ms, Exchange::End::Hold},
         ""},
        {"204", {"HTTP/1.1 204 No Content\r\n\r\n", 0ms, Exchange::End::Hold}, ""},
        {"chunked",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\n5,a\r\n0\r\n\r\n", 0ms,
          Exchange::End::Hold},
         "5,a"},
        {"read to close", {"HTTP/1.1 200 OK\r\n\r\nline\r\n"}, "line\r\n"},
        {"LF-only lines", {"HTTP/1.1 200 OK\nContent-Length: 1\n\n7"}, "7"},
        {"100 Continue",
         {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n3"},
         "3"},
        {"line of 16385",
         {"HTTP/1.1 200 OK\r\nX: " + std::string(16382, 'a') + "\r\n\r\n", 0ms,
          Exchange::End::Hold},
         std::string("error: ") + http::MaxLineLengthExceeded},
        {"close before the status line", {""}, std::string("error: ") + http::ClosedGracefully},
        {"reply opening with an empty line",
         {"\r\nHTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n0"},
         std::string("error: ") + http::NoStatusLine},
        {"reset",
         {"HTTP/1.1 200 OK\r\n", 0ms, Exchange::End::Reset},
         "error: Socket Error # 10054\nConnection reset by peer."},
        {"body over the cap",
         {"HTTP/1.1 200 OK\r\n\r\n", 0ms, Exchange::End::Hold, http::MaxReplySize + 65536},
         std::string("error: ") + http::ReplyTooLarge},
        {"error reply over the cap",
         {"HTTP/1.1 500 Oops\r\n\r\n", 0ms, Exchange::End::Hold, http::MaxReplySize + 65536},
         "error: HTTP/1.1 500 Oops"},
        {"error reply reset while drained",
         {"HTTP/1.1 503 Busy\r\n\r\nx", 0ms, Exchange::End::Reset},
         "error: HTTP/1.1 503 Busy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server({c.exchange});
        EXPECT_EQ(Get(server.Url("/checkwr.asp")), c.expected);
    }
}

TEST_F(HttpGetTest, RefusedPortIsTheSocketError) {
    EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(testing::RefusedPort()) + "/"),
              "error: Socket Error # 10061\nConnection refused.");
}

// A connect that never completes is given the connect limit and ends as the timeout.
TEST_F(HttpGetTest, ConnectThatNeverCompletesTimesOut) {
    testing::ScriptedNetwork scripted({}, testing::Step::Timeout());
    EXPECT_EQ(GetOver(scripted, "http://127.0.0.1:8080/checkwr.asp"), "error: Connect timed out.");
    ASSERT_EQ(scripted.connects.size(), 1u);
    EXPECT_EQ(scripted.connects[0].limit, 500ms);
}

// Reading has no short limit: an answer after 2 seconds of silence still arrives.
TEST_F(HttpGetTest, SlowAnswerSucceeds) {
    testing::ScriptedNetwork scripted(
        {testing::Step::Bytes("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n0", 2100ms)});
    EXPECT_EQ(GetOver(scripted, "http://127.0.0.1:8080/checkwr.asp"), "0");
    EXPECT_TRUE(scripted.closed);
}

// A server that never answers, or stops in the middle, ends with an error once no data has
// come for the idle limit; an error reply's body is dropped at the drain limit.
TEST_F(HttpGetTest, SilentServerTimesOutAtTheIdleLimit) {
    using testing::Step;
    const HttpLimits shortLimits{500ms, 300ms, 100ms};
    const std::string url = "http://127.0.0.1:8080/";
    {
        testing::ScriptedNetwork scripted({Step::Timeout()});
        EXPECT_EQ(GetOver(scripted, url, shortLimits), std::string("error: ") + http::ReadTimedOut);
        EXPECT_EQ(scripted.waits, std::vector<std::chrono::milliseconds>{300ms});
    }
    {
        testing::ScriptedNetwork scripted(
            {Step::Bytes("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc"), Step::Timeout()});
        EXPECT_EQ(GetOver(scripted, url, shortLimits), std::string("error: ") + http::ReadTimedOut);
        EXPECT_EQ(scripted.waits.back(), 300ms);
    }
    {
        testing::ScriptedNetwork scripted(
            {Step::Bytes("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nabc"),
             Step::Timeout()});
        EXPECT_EQ(GetOver(scripted, url, HttpLimits{500ms, 60s, 100ms}),
                  "error: HTTP/1.1 404 Not Found");
        EXPECT_EQ(scripted.waits.back(), 100ms) << "the drain used the idle limit";
    }
}

// What the script's peer does reaches the caller as a real peer's would, and the request is
// sent once, whole.
TEST_F(HttpGetTest, ScriptedPeerEndings) {
    using testing::Step;
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::string expected;
    };
    const Case cases[] = {
        {"reply in pieces",
         {Step::Bytes("HTTP/1.1 200 OK\r\nContent-"), Step::Bytes("Length: 2\r\n\r\n4"),
          Step::Bytes("2")},
         "42"},
        {"close before the status line",
         {Step::Close()},
         std::string("error: ") + http::ClosedGracefully},
        {"reset mid-head",
         {Step::Bytes("HTTP/1.1 200 OK\r\n"),
          Step::SocketFailure(10054, "Connection reset by peer.")},
         "error: Socket Error # 10054\nConnection reset by peer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::ScriptedNetwork scripted(c.steps);
        EXPECT_EQ(GetOver(scripted, "http://127.0.0.1:8080/checkwr.asp"), c.expected);
        EXPECT_EQ(scripted.sent, "GET /checkwr.asp HTTP/1.1\r\nContent-Type: text/html\r\n"
                                 "Host: 127.0.0.1:8080\r\n" +
                                     std::string(kFixedLines) + "\r\n");
        ASSERT_EQ(scripted.connects.size(), 1u);
        EXPECT_EQ(scripted.connects[0].host, "127.0.0.1");
        EXPECT_EQ(scripted.connects[0].port, 8080);
    }
}

// Cookies of a reply reach the store, also with an error status; the store's line is sent.
TEST_F(HttpGetTest, CookiesGoToAndComeFromTheStore) {
    LoopbackServer server({{"HTTP/1.1 404 Not Found\r\nSet-Cookie: a=1; Path=/\r\n\r\n"}});
    cookies.header = "b=2";
    Get(server.Url("/x\\y#z"));
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/x/y";
    EXPECT_EQ(cookies.stored[url], std::vector<std::string>{"a=1; Path=/"});
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("\r\nCookie: b=2\r\n\r\n"), std::string::npos);
}

} // namespace
} // namespace lexfall
