// SPDX-License-Identifier: GPL-3.0-or-later
// https against the tests' own authority and TLS peer on 127.0.0.1.
#include "online/HttpAccess.h"
#include "online/HttpFailures.h"

#include "platform/posix/PosixNetwork.h"
#include "platform/posix/TlsConnection.h"
#include "support/TlsPeer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace lexfall {
namespace {

using testing::TlsPeer;
using testing::TlsPeerOptions;

constexpr const char* kChampion = "HTTP/1.1 200 OK\r\nContent-Length: 34\r\n\r\n"
                                  "Champion,10,300,40,3010,2003-03-28";

class HttpsTest : public testing::TrustsTestAuthority {
protected:
    std::string Get(const std::string& url) {
        HttpAccess http(network, cookies);
        try {
            return http.HttpGet(url);
        } catch (const Error& error) {
            return std::string("error: ") + error.what();
        }
    }

    posix::PosixNetwork network{posix::StartLinkedTls};
    NoCookies cookies;
};

// The request inside TLS is the plain request's bytes; the port is written out unless 443.
TEST_F(HttpsTest, TrustedServerUnderAFolder) {
    TlsPeer peer(authority.Cert("loopback"), authority.Key("loopback"), {kChampion, kChampion});
    EXPECT_EQ(Get(peer.Url("127.0.0.1", "/club/checkwr.asp")),
              "Champion,10,300,40,3010,2003-03-28");
    EXPECT_EQ(Get(peer.Url("LocalHost", "/club/getmyrec.asp?u=a b")),
              "Champion,10,300,40,3010,2003-03-28");
    const auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string port = std::to_string(peer.Port());
    EXPECT_EQ(requests[0], "GET /club/checkwr.asp HTTP/1.1\r\n"
                           "Content-Type: text/html\r\n"
                           "Host: 127.0.0.1:" +
                               port +
                               "\r\n"
                               "Accept: text/html, */*\r\n"
                               "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n");
    EXPECT_EQ(requests[1].substr(0, requests[1].find("\r\n\r\n")),
              "GET /club/getmyrec.asp?u=a b HTTP/1.1\r\n"
              "Content-Type: text/html\r\n"
              "Host: LocalHost:" +
                  port +
                  "\r\n"
                  "Accept: text/html, */*\r\n"
                  "User-Agent: Mozilla/3.0 (compatible; Indy Library)");
}

// Every refusal names the host and the reason, and no request reaches the server.
TEST_F(HttpsTest, UntrustedWrongNameAndNonTlsPeersFail) {
    {
        SCOPED_TRACE("authority not trusted");
        unsetenv("SSL_CERT_FILE");
        TlsPeer peer(authority.Cert("loopback"), authority.Key("loopback"), {kChampion});
        const std::string error = Get(peer.Url("127.0.0.1"));
        EXPECT_EQ(error.rfind("error: The certificate of 127.0.0.1 is not trusted: ", 0), 0u)
            << error;
        EXPECT_NE(error.find("issuer"), std::string::npos) << error;
        EXPECT_TRUE(peer.Requests().empty());
        setenv("SSL_CERT_FILE", authority.CaFile().c_str(), 1);
    }
    {
        SCOPED_TRACE("another host's certificate");
        TlsPeer peer(authority.Cert("other"), authority.Key("other"), {kChampion});
        const std::string error = Get(peer.Url("127.0.0.1"));
        EXPECT_EQ(error.rfind("error: The certificate of 127.0.0.1 is not trusted: ", 0), 0u)
            << error;
        EXPECT_NE(error.find("name in the certificate does not match"), std::string::npos) << error;
        EXPECT_TRUE(peer.Requests().empty());
    }
    {
        SCOPED_TRACE("a plain HTTP server, answering what it takes for a request");
        std::uint16_t port = 0;
        const int listener = testing::ListenOnLoopback(1, port);
        std::thread plain([listener] {
            const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            const std::string reply = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
            (void)!send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
            close(fd);
        });
        const std::string error = Get("https://127.0.0.1:" + std::to_string(port) + "/");
        plain.join();
        close(listener);
        EXPECT_EQ(error.rfind("error: The TLS handshake with 127.0.0.1 failed: ", 0), 0u) << error;
    }
}

// Session tickets before or after the reply are handled inside the wait, and a reply that
// runs to the close counts only after TLS's goodbye; a length or chunks need none.
TEST_F(HttpsTest, TicketsAndTheClose) {
    const std::string toClose = "HTTP/1.1 200 OK\r\n\r\nChampion,10,300,40,3010,2003-03-28";
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                "22\r\nChampion,10,300,40,3010,2003-03-28\r\n0\r\n\r\n";
    const std::string tls12 = "NORMAL:-VERS-ALL:+VERS-TLS1.2";
    const std::string cut = std::string("error: ") + http::ClosedWithoutGoodbye;
    struct Case {
        const char* what;
        std::string reply;
        TlsPeerOptions options;
        bool whole;
    };
    const Case cases[] = {
        {"TLS 1.3, two tickets before the reply", toClose, {"", 2, 0, true}, true},
        {"TLS 1.3, two tickets after the reply", toClose, {"", 0, 2, true}, true},
        {"TLS 1.3, tickets before and after", kChampion, {"", 1, 3, true}, true},
        {"TLS 1.2, no tickets to send", toClose, {tls12, 2, 2, true}, true},
        {"a length, then a bare close", kChampion, {"", 2, 0, false}, true},
        {"chunks, then a bare close", chunked, {"", 0, 2, false}, true},
        {"to the close, closed bare", toClose, {"", 0, 0, false}, false},
        {"to the close, tickets, closed bare", toClose, {"", 2, 2, false}, false},
        {"TLS 1.2, to the close, closed bare", toClose, {tls12, 0, 0, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TlsPeer peer(authority.Cert("loopback"), authority.Key("loopback"), {c.reply}, c.options);
        EXPECT_EQ(Get(peer.Url("127.0.0.1")), c.whole ? "Champion,10,300,40,3010,2003-03-28" : cut);
    }
}

// The authorities of SSL_CERT_DIR count as well (a hashed folder, as c_rehash makes it).
TEST_F(HttpsTest, AuthorityFolderIsHonoured) {
    unsetenv("SSL_CERT_FILE");
    testing::ScratchDir folder;
    ASSERT_EQ(std::system(("cp " + authority.CaFile() + " " + folder.File("ca.pem") +
                           " && openssl rehash " + folder.Dir() + " >/dev/null 2>&1")
                              .c_str()),
              0);
    setenv("SSL_CERT_DIR", folder.Dir().c_str(), 1);
    TlsPeer peer(authority.Cert("loopback"), authority.Key("loopback"), {kChampion});
    EXPECT_EQ(Get(peer.Url("127.0.0.1")), "Champion,10,300,40,3010,2003-03-28");
    unsetenv("SSL_CERT_DIR");
}

} // namespace
} // namespace lexfall
