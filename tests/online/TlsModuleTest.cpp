// SPDX-License-Identifier: GPL-3.0-or-later
// https through the TLS module the build made, loaded as the game loads it at the first https
// connection, against the tests' own authority and TLS peer on 127.0.0.1.
#include "online/HttpAccess.h"

#include "platform/posix/PosixNetwork.h"
#include "platform/posix/TlsModuleLoader.h"
#include "support/LoopbackServer.h"
#include "support/ScratchDir.h"
#include "support/TlsPeer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>

namespace lexfall {
namespace {

using namespace std::chrono_literals;
using testing::TlsPeer;

constexpr const char* kReply = "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n0";

// The type the game's own catch clauses see, and the text. The module carries its own copy of
// the error types: what it throws must still match the program's clauses.
std::string CaughtAs(const std::function<void()>& action) {
    try {
        action();
        return "nothing";
    } catch (const RequestCancelled& error) {
        return std::string("RequestCancelled: ") + error.what();
    } catch (const SocketError& error) {
        return std::string("SocketError: ") + error.what();
    } catch (const Error& error) {
        return std::string("Error: ") + error.what();
    } catch (const std::exception& error) {
        return std::string("another exception: ") + error.what();
    }
}

// Whether the TLS module is mapped into this process. No other test here loads it.
bool TlsModuleLoaded() {
    std::ifstream maps("/proc/self/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str().find("/lexfall-tls.so") != std::string::npos;
}

class TlsModuleTest : public testing::TrustsTestAuthority {
protected:
    NoCookies cookies;
};

// One network, as the game keeps it: plain http leaves the module alone, the first https
// connection loads it and later ones use it; its refusals are the program's Error, and the player's
// Cancel inside a TLS read is still RequestCancelled.
TEST_F(TlsModuleTest, ExchangesAndErrorsThroughTheBuiltModule) {
    posix::PosixNetwork network(posix::TlsFromModule(LEXFALL_BIN_DIR "/"));
    HttpAccess http(network, cookies);
    {
        SCOPED_TRACE("plain http first");
        testing::LoopbackServer plain({{kReply}});
        EXPECT_EQ(http.HttpGet(plain.Url("/club/checkwr.asp")), "0");
        EXPECT_FALSE(TlsModuleLoaded());
    }
    {
        SCOPED_TRACE("trusted peer, twice");
        TlsPeer peer(authority.Cert("loopback"), authority.Key("loopback"), {kReply, kReply});
        EXPECT_EQ(http.HttpGet(peer.Url("127.0.0.1", "/club/checkwr.asp")), "0");
        EXPECT_TRUE(TlsModuleLoaded());
        EXPECT_EQ(http.HttpGet(peer.Url("localhost", "/club/checkwr.asp")), "0");
        ASSERT_EQ(peer.Requests().size(), 2u);
        EXPECT_EQ(peer.Requests()[0].rfind("GET /club/checkwr.asp HTTP/1.1\r\n", 0), 0u);
    }
    {
        SCOPED_TRACE("certificate for another name");
        TlsPeer peer(authority.Cert("other"), authority.Key("other"), {kReply});
        const std::string caught = CaughtAs([&] { http.HttpGet(peer.Url("127.0.0.1")); });
        EXPECT_EQ(caught.rfind("Error: The certificate of 127.0.0.1 is not trusted: ", 0), 0u)
            << caught;
        EXPECT_TRUE(peer.Requests().empty());
    }
    {
        SCOPED_TRACE("authority not trusted");
        unsetenv("SSL_CERT_FILE");
        TlsPeer peer(authority.Cert("loopback"), authority.Key("loopback"), {kReply});
        const std::string caught = CaughtAs([&] { http.HttpGet(peer.Url("127.0.0.1")); });
        EXPECT_EQ(caught.rfind("Error: The certificate of 127.0.0.1 is not trusted: ", 0), 0u)
            << caught;
        setenv("SSL_CERT_FILE", authority.CaFile().c_str(), 1);
    }
    {
        SCOPED_TRACE("Cancel while the TLS read waits");
        std::atomic<bool> cancelled = false;
        // Closed only after the peer has answered and gone, so its reply meets an open socket.
        std::unique_ptr<Connection> tls;
        std::promise<void> answer;
        const std::shared_future<void> answered = answer.get_future().share();
        TlsPeer peer(authority.Cert("loopback"), authority.Key("loopback"), 1,
                     [&cancelled, answered](const std::string&) {
                         cancelled = true;
                         answered.wait();
                         return std::string(kReply);
                     });
        // The peer answers only after the read has ended, on every way out.
        const struct LetPeerAnswer {
            std::promise<void>& answer;
            ~LetPeerAnswer() { answer.set_value(); }
        } letPeerAnswer{answer};
        RequestEnd end;
        end.cancelled = &cancelled;
        tls = network.StartTls(network.Connect("127.0.0.1", peer.Port(), 5s, end), "127.0.0.1", 5s);
        tls->Send("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        EXPECT_EQ(CaughtAs([&] { tls->Receive(20s); }), "RequestCancelled: Cancelled.");
    }
}

// Without a loadable module an https request fails as a refused handshake does, naming the
// host and why, and the next one tries again; plain http goes on as before.
TEST_F(TlsModuleTest, AModuleThatCannotLoadFailsHttpsOnly) {
    testing::ScratchDir folder;
    folder.Put("lexfall-tls.so", "not a module");
    struct Case {
        const char* name;
        std::string moduleDir;
        std::string why;
    };
    const Case cases[] = {
        {"no module", "/nonexistent/", "/nonexistent/lexfall-tls.so: cannot open shared object"},
        {"not a module", folder.Dir(), folder.File("lexfall-tls.so") + ": "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        posix::PosixNetwork network(posix::TlsFromModule(c.moduleDir));
        HttpAccess http(network, cookies);
        TlsPeer peer(authority.Cert("loopback"), authority.Key("loopback"), {kReply});
        for (int attempt = 0; attempt < 2; ++attempt) {
            const std::string caught = CaughtAs([&] { http.HttpGet(peer.Url("127.0.0.1")); });
            EXPECT_EQ(caught.rfind("Error: The TLS handshake with 127.0.0.1 failed: ", 0), 0u)
                << caught;
            EXPECT_NE(caught.find(c.why), std::string::npos) << caught;
        }
        testing::LoopbackServer plain({{kReply}});
        EXPECT_EQ(http.HttpGet(plain.Url("/club/checkwr.asp")), "0");
    }
}

} // namespace
} // namespace lexfall
