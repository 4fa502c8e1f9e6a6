// SPDX-License-Identifier: GPL-3.0-or-later
// The client behind a reverse proxy: the address the trusted proxies name, never one a client
// forged in front of theirs, and never the proxy itself, for the log and for every limit.
#include "support/RecordsServerProcess.h"

#include "server/ProxyHint.h"
#include "server/TrustedProxies.h"

#include <gtest/gtest.h>

#include <atomic>

namespace lexfall::testing {
namespace {

using server::TrustedProxies;

TEST(ProxyClientTest, ClientIsTheRightmostUntrustedForwardedAddress) {
    const TrustedProxies proxies("127.0.0.1, 10.0.0.0/8,2001:db8::/32");
    struct Case {
        const char* peer;
        std::vector<std::string> forwarded;
        const char* client;
    };
    const Case cases[] = {
        {"127.0.0.1", {"198.51.100.7"}, "198.51.100.7"},
        // A client's own header comes first; the proxy appends the address it saw.
        {"127.0.0.1", {"spoof-1, 203.0.113.9"}, "203.0.113.9"},
        {"127.0.0.1", {"192.0.2.1, 203.0.113.9, 10.1.2.3"}, "203.0.113.9"},
        // Every line counts, in order: a proxy may add a line of its own.
        {"127.0.0.1", {"192.0.2.1", "203.0.113.9"}, "203.0.113.9"},
        {"127.0.0.1", {"192.0.2.1", "203.0.113.9", "10.9.9.9"}, "203.0.113.9"},
        // Garbage stops the walk at the proxy that passed it on.
        {"127.0.0.1", {"192.0.2.1, evil\r"}, "127.0.0.1"},
        {"127.0.0.1", {"192.0.2.1, 10.0.0.5, not-an-address"}, "127.0.0.1"},
        {"127.0.0.1", {}, "127.0.0.1"},
        // All trusted: the leftmost, as nginx's realip does.
        {"127.0.0.1", {"10.0.0.1, 10.0.0.2"}, "10.0.0.1"},
        {"2001:db8::5", {"2001:db8:1::1, 2a00::1"}, "2a00::1"},
        // An untrusted peer is the client, whatever it claims.
        {"192.0.2.50", {"203.0.113.9"}, "192.0.2.50"},
        {"11.0.0.1", {"203.0.113.9"}, "11.0.0.1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(proxies.Client(c.peer, c.forwarded), c.client) << c.peer;
    for (const char* bad : {"10.0.0.0/33", "proxy.example", "10.0.0.1/", "::1/129"})
        EXPECT_THROW(TrustedProxies{bad}, std::invalid_argument) << bad;
}

TEST(ProxyClientTest, OneAddressForAWholeMinuteIsToldOnce) {
    std::chrono::steady_clock::time_point now{};
    server::ProxyHint hint([&] { return now; });
    std::vector<std::string> notices;
    const auto requests = [&](const std::string& peer, int count, std::chrono::seconds apart) {
        for (int i = 0; i < count; ++i) {
            if (auto notice = hint.Request(peer))
                notices.push_back(*notice);
            now += apart;
        }
    };
    requests("127.0.0.1", 5, std::chrono::seconds(15)); // a quiet club tells nothing
    requests("127.0.0.1", 30, std::chrono::seconds(1));
    requests("192.0.2.1", 1, std::chrono::seconds(1)); // a second address in the same minute
    requests("127.0.0.1", 30, std::chrono::seconds(1));
    EXPECT_TRUE(notices.empty());
    requests("127.0.0.1", 200, std::chrono::seconds(1));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("from 127.0.0.1; the server seems to sit behind a proxy"),
              std::string::npos);
    EXPECT_NE(notices[0].find("--trust-proxy"), std::string::npos);
}

std::string Who(const RegisteredPlayer& player, const std::string& code) {
    return "?u=" + player.Name + "&e=" + player.Email + "&c=" + code;
}

// A GET as a proxy passes it on.
RawReply Forwarded(int port, const std::string& target, const std::string& forwardedFor) {
    const std::string response = ExchangeOnLoopback(
        port, "GET " + target + " HTTP/1.1\r\nHost: x\r\nX-Forwarded-For: " + forwardedFor +
                  "\r\nConnection: close\r\n\r\n");
    RawReply reply;
    const std::size_t headEnd = response.find("\r\n\r\n");
    if (response.rfind("HTTP/1.1 ", 0) != 0 || headEnd == std::string::npos)
        return reply;
    reply.Status = std::stoi(response.substr(9, 3));
    reply.Body = response.substr(headEnd + 4);
    return reply;
}

// Wrong codes through the proxy slow the one client that sends them, forged headers or not;
// the proxy's other clients, and the same player from elsewhere, go on.
TEST(ProxyClientTest, WrongCodesBehindAProxyBlockOnlyTheirClient) {
    ScratchDir folder;
    const std::string db = (folder.Path() / "records.sqlite").string();
    const RegisteredPlayer ann = AddRecordsPlayer(db, "Ann", "ann@example.org");
    RecordsServerProcess server(db, {"--trust-proxy", "127.0.0.0/8,10.0.0.1"});
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(Forwarded(server.Port(), "/getmyrec.asp" + Who(ann, "WRONG"),
                            "spoof-" + std::to_string(i) + ", 203.0.113.9, 10.0.0.1")
                      .Body,
                  "3");
    EXPECT_EQ(Forwarded(server.Port(), "/getmyrec.asp" + Who(ann, ann.Code), "203.0.113.9").Body,
              "3");
    EXPECT_EQ(Forwarded(server.Port(), "/getmyrec.asp" + Who(ann, ann.Code), "198.51.100.4").Body,
              "5");
    const std::string log = server.Output();
    EXPECT_NE(log.find("from 203.0.113.9 within a minute"), std::string::npos) << log;
    EXPECT_NE(log.find("198.51.100.4 GET /getmyrec.asp 200 5"), std::string::npos) << log;
    EXPECT_EQ(log.find("spoof"), std::string::npos) << log;
}

// Many clients through one proxy, one connection each, under a limit of one per address: the
// proxy is not one address, so nobody is refused; a client holding its slot is.
TEST(ProxyClientTest, PerAddressLimitCountsTheClientsNotTheProxy) {
    ScratchDir folder;
    RecordsServerProcess server((folder.Path() / "records.sqlite").string(),
                                {"--trust-proxy", "127.0.0.1", "--max-per-address", "1"});
    // Idle connections from the proxy hold no client's slot.
    std::vector<int> idle;
    for (int i = 0; i < 4; ++i)
        idle.push_back(ConnectLoopback(server.Port()));
    std::atomic<int> refused = 0;
    std::vector<std::thread> clients;
    for (int c = 0; c < 8; ++c) {
        clients.emplace_back([&, c] {
            for (int i = 0; i < 20; ++i)
                if (Forwarded(server.Port(), "/checkwr.asp", "192.0.2." + std::to_string(c))
                        .Status != 200)
                    ++refused;
        });
    }
    for (auto& client : clients)
        client.join();
    for (int fd : idle)
        ::close(fd);
    EXPECT_EQ(refused, 0) << server.Output();
}

// Without a proxy, a client that connects again as soon as it has its reply finds its slot
// free: the slot goes with the reply, not later when the close is handled.
TEST(ProxyClientTest, ASlotIsFreeOnceTheReplyIsOut) {
    ScratchDir folder;
    RecordsServerProcess server((folder.Path() / "records.sqlite").string(),
                                {"--max-per-address", "16"});
    std::atomic<int> refused = 0;
    std::vector<std::thread> clients;
    for (int c = 0; c < 16; ++c) {
        clients.emplace_back([&] {
            for (int i = 0; i < 60; ++i)
                if (server.Get("/checkwr.asp").Status != 200)
                    ++refused;
        });
    }
    for (auto& client : clients)
        client.join();
    EXPECT_EQ(refused, 0);
}

} // namespace
} // namespace lexfall::testing
