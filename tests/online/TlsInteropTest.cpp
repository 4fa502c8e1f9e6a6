// SPDX-License-Identifier: GPL-3.0-or-later
// The game's https requests against the TLS servers clubs run, each started on 127.0.0.1 in
// front of a real records server (or the records server serving TLS itself), directly and
// through tinyproxy's CONNECT tunnel. Run the table alone with `ctest -R TlsInterop`.
#include "online/HttpAccess.h"
#include "online/HttpFailures.h"
#include "online/RecordText.h"
#include "online/RecordsExchange.h"
#include "platform/posix/PosixNetwork.h"
#include "platform/posix/TlsConnection.h"
#include "support/GoodbyeStripper.h"
#include "support/Records.h"
#include "support/RecordsServerProcess.h"
#include "support/Tinyproxy.h"
#include "support/TlsFronts.h"
#include "support/TlsPeer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace lexfall::testing {
namespace {

enum class Front {
    Openssl,          // s_server -WWW: the body to the close, then close_notify
    OpensslBareClose, // s_server -HTTP: the reply with its length, closed without close_notify
    Gnutls,           // a GnuTLS server sending the backend's reply
    GnutlsToClose,    // the same, the body running to the close
    Nginx,
    RecordsServer, // lexfall-records --tls-cert
};

struct Row {
    const char* name;
    Front front;
    // Openssl: "-tls1_2" or "-tls1_3"; Gnutls: a priority string, empty for the defaults.
    const char* version;
    int ticketsBefore;
    int ticketsAfter; // GnuTLS only: tickets sent after the reply
    bool goodbye;     // GnuTLS only: close_notify before the close
    bool viaProxy;
};

constexpr const char* kTls12 = "NORMAL:-VERS-ALL:+VERS-TLS1.2";

const Row kRows[] = {
    {"OpensslTls12", Front::Openssl, "-tls1_2", 0, 0, true, false},
    {"OpensslTls12BareClose", Front::OpensslBareClose, "-tls1_2", 0, 0, false, false},
    {"OpensslTls13NoTickets", Front::Openssl, "-tls1_3", 0, 0, true, false},
    {"OpensslTls13NoTicketsBareClose", Front::OpensslBareClose, "-tls1_3", 0, 0, false, false},
    {"OpensslTls13TwoTickets", Front::Openssl, "-tls1_3", 2, 0, true, false},
    {"OpensslTls13TwoTicketsBareClose", Front::OpensslBareClose, "-tls1_3", 2, 0, false, false},
    {"GnutlsTls13TicketsBeforeReply", Front::GnutlsToClose, "", 2, 0, true, false},
    {"GnutlsTls13TicketsAfterReply", Front::GnutlsToClose, "", 0, 3, true, false},
    {"GnutlsTls13TicketsBareClose", Front::Gnutls, "", 1, 2, false, false},
    {"GnutlsTls12", Front::GnutlsToClose, kTls12, 0, 0, true, false},
    {"Nginx", Front::Nginx, "", 0, 0, true, false},
    {"RecordsServer", Front::RecordsServer, "", 0, 0, true, false},
    {"ProxyOpensslTls13TwoTickets", Front::Openssl, "-tls1_3", 2, 0, true, true},
    {"ProxyOpensslTls13BareClose", Front::OpensslBareClose, "-tls1_3", 2, 0, false, true},
    {"ProxyGnutlsTls13TicketsAfterReply", Front::GnutlsToClose, "", 0, 3, true, true},
    {"ProxyNginx", Front::Nginx, "", 0, 0, true, true},
    {"ProxyRecordsServer", Front::RecordsServer, "", 0, 0, true, true},
};

// A records server with a world record, and a player whose record goes up over https.
class TlsInterop : public TrustsTestAuthority {
protected:
    void SetUp() override {
        TrustsTestAuthority::SetUp();
        for (const char* program : {kOpensslProgram, kNginxProgram, kTinyproxyProgram})
            ASSERT_TRUE(std::filesystem::exists(program))
                << program << " is missing: scripts/deps.sh installs it";
        db_ = (folder_.Path() / "records.sqlite").string();
        const RegisteredPlayer champ = AddRecordsPlayer(db_, "Champ", "champ@example.org");
        const RegisteredPlayer row = AddRecordsPlayer(db_, "Row", "row@example.org");
        player_ = {row.Name, row.Email, row.Code};
        backend_ = std::make_unique<RecordsServerProcess>(db_);
        worldRecord_ = RecordText(ValidRecord("Champ", 300, 60, 20, 37708.0 /* 2003-03-28 */));
        const std::string put =
            exchange::PutMyRecUrl("/", {champ.Name, champ.Email, champ.Code}, worldRecord_);
        ASSERT_EQ(backend_->Get(put).Body, "0");
        myRecord_ = RecordText(ValidRecord("Row", 300, 40, 10, 46000.0));
    }

    std::uint16_t Backend() const { return static_cast<std::uint16_t>(backend_->Port()); }

    // The targets the game asks for, in order, relative to a base of "/".
    std::vector<std::string> Targets() const {
        return {exchange::CheckWrUrl("/").substr(1),
                exchange::PutMyRecUrl("/", player_, myRecord_).substr(1)};
    }

    // Check WR, then Put MyRec, as the game sends them; each gives its reply or its error.
    std::pair<std::string, std::string> Exchange(std::uint16_t port, bool viaProxy) {
        posix::PosixNetwork network(posix::StartLinkedTls);
        NoCookies cookies;
        HttpAccess http(network, cookies);
        std::unique_ptr<Tinyproxy> proxy;
        if (viaProxy) {
            proxy = std::make_unique<Tinyproxy>();
            EXPECT_TRUE(proxy->Ready());
            http.proxy = ProxyParams{"127.0.0.1", proxy->Port(), "joe", "s3cret"};
        }
        const std::string base = "https://127.0.0.1:" + std::to_string(port) + "/";
        const auto get = [&](const std::string& url) {
            try {
                return http.HttpGet(url);
            } catch (const Error& error) {
                return std::string("error: ") + error.what();
            }
        };
        const std::string checkWr = get(exchange::CheckWrUrl(base));
        return {checkWr, get(exchange::PutMyRecUrl(base, player_, myRecord_))};
    }

    // What the records server holds for the player now.
    std::string Stored() const { return backend_->Get(exchange::GetMyRecUrl("/", player_)).Body; }

    ScratchDir folder_;
    std::string db_;
    RegisterInfo player_;
    std::unique_ptr<RecordsServerProcess> backend_;
    std::string worldRecord_;
    std::string myRecord_;
};

class TlsInteropRows : public TlsInterop, public ::testing::WithParamInterface<Row> {};

// Every row: Check WR brings the world record, Put MyRec reports the record stored, and the
// records server holds it.
TEST_P(TlsInteropRows, CheckWrAndPutMyRec) {
    const Row& row = GetParam();
    const std::uint16_t backend = Backend();
    std::unique_ptr<OpensslFront> openssl;
    std::unique_ptr<GoodbyeStripper> stripper;
    std::unique_ptr<TlsPeer> gnutls;
    std::unique_ptr<NginxFront> nginx;
    std::unique_ptr<RecordsServerProcess> direct;
    std::uint16_t port = 0;
    switch (row.front) {
    case Front::Openssl:
    case Front::OpensslBareClose: {
        const bool bare = row.front == Front::OpensslBareClose;
        openssl = std::make_unique<OpensslFront>(
            authority, backend, Targets(),
            OpensslFront::Options{row.version, row.ticketsBefore, bare});
        ASSERT_TRUE(openssl->Ready()) << openssl->Output();
        port = openssl->Port();
        if (bare) {
            stripper = std::make_unique<GoodbyeStripper>(port);
            port = stripper->Port();
        }
        break;
    }
    case Front::Gnutls:
    case Front::GnutlsToClose: {
        const bool toClose = row.front == Front::GnutlsToClose;
        gnutls = std::make_unique<TlsPeer>(
            authority.Cert("loopback"), authority.Key("loopback"), 2,
            [backend, toClose](const std::string& request) {
                std::string reply = RelayToLoopback(request, backend);
                if (toClose)
                    reply = "HTTP/1.0 200 OK\r\n\r\n" + reply.substr(reply.find("\r\n\r\n") + 4);
                return reply;
            },
            TlsPeerOptions{row.version, static_cast<unsigned>(row.ticketsBefore),
                           static_cast<unsigned>(row.ticketsAfter), row.goodbye});
        port = gnutls->Port();
        break;
    }
    case Front::Nginx:
        nginx = std::make_unique<NginxFront>(authority, backend);
        ASSERT_TRUE(nginx->Ready());
        port = nginx->Port();
        break;
    case Front::RecordsServer:
        direct = std::make_unique<RecordsServerProcess>(
            db_, std::vector<std::string>{"--tls-cert", authority.Cert("loopback"), "--tls-key",
                                          authority.Key("loopback")});
        port = static_cast<std::uint16_t>(direct->Port());
        break;
    }

    const auto [checkWr, put] = Exchange(port, row.viaProxy);
    EXPECT_EQ(checkWr, worldRecord_);
    EXPECT_EQ(exchange::PutMyRecMessage(put), " Put Record success. ") << put;
    EXPECT_EQ(Stored(), myRecord_);
    if (stripper) {
        EXPECT_EQ(stripper->Dropped(), 2) << "each reply's close_notify was taken away";
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, TlsInteropRows, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

// A body that runs to the close, closed without close_notify: the reply may have been cut, so
// the exchange fails with that reason, whatever the server did.
TEST_F(TlsInterop, ABodyToABareCloseIsRefused) {
    OpensslFront openssl(authority, Backend(), Targets(), {"-tls1_3", 2, false});
    ASSERT_TRUE(openssl.Ready()) << openssl.Output();
    GoodbyeStripper stripper(openssl.Port());
    const auto [checkWr, put] = Exchange(stripper.Port(), false);
    const std::string refused = std::string("error: ") + http::ClosedWithoutGoodbye;
    EXPECT_EQ(checkWr, refused);
    EXPECT_EQ(put, refused);
    EXPECT_EQ(stripper.Dropped(), 2);
}

} // namespace
} // namespace lexfall::testing
