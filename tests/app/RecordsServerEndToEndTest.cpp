// SPDX-License-Identifier: GPL-3.0-or-later
// The records page's three buttons against a running lexfall-records: the game's own HttpGet
// and exchanges, pointed at the server by the settings file as a player would do it.
#include "support/SettingsFixture.h"

#include "app/FormStyle.h"
#include "support/Records.h"
#include "support/RecordsServerProcess.h"
#include "support/TlsPeer.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <thread>

namespace lexfall::testing {
namespace {

class RecordsServerEndToEnd : public SettingsFormTest {
protected:
    void SetUp() override {
        SettingsFormTest::SetUp();
        network.onConnect = [this] { ++connections; };
    }

    // One player's computer: the record file and the settings file with the player's identity
    // and the server's address, then the window started on them, records page in front.
    TForm1& StartComputer(const RegisteredPlayer& player, const std::optional<TScoreRec>& mine,
                          const std::optional<std::string>& server = std::nullopt) {
        form.reset();
        std::filesystem::remove(appDir + "Records.dat");
        if (mine)
            std::ofstream(appDir + "Records.dat", std::ios::binary)
                << RecordBytes(*mine) << RecordBytes(ValidRecord("Old", 30, 10, 2));
        LayIni("[Options]\r\nMusic=a.mid\r\n[Register]\r\nUserName=" + player.Name +
               "\r\nEmail=" + player.Email + "\r\nRegCode=" + player.Code +
               "\r\nServer=" + server.value_or(kit.Server().BaseUrl()) + "\r\n");
        TForm1& f = Form();
        f.Button2Click(f.Button2);
        dialogs.messages.clear(); // a new record file's notice
        return f;
    }

    // A click that must make exactly one request. Its log line is awaited before the next
    // click: the server's threads write them once each reply is out, so they may overtake.
    void Click(QPushButton* button) {
        const int before = connections;
        button->click();
        EXPECT_EQ(connections, before + 1) << button->text().toStdString();
        ServerLog(static_cast<std::size_t>(connections));
    }

    std::string RecordFile() const {
        std::ifstream in(appDir + "Records.dat", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static bool ButtonsEnabled(TForm1& f) {
        return style::OwnEnabled(f.Records().Button4) && style::OwnEnabled(f.Records().Button5) &&
               style::OwnEnabled(f.Records().Button9);
    }

    // The server's log, one "endpoint status reply" a request, once it holds count lines (a
    // line is written just after its reply is sent).
    std::vector<std::string> ServerLog(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            std::vector<std::string> lines;
            std::istringstream in((logged != nullptr ? *logged : kit.Server()).Output());
            for (std::string line; std::getline(in, line);) {
                std::istringstream words(line);
                std::string time, peer, method, endpoint, status, reply;
                if (words >> time >> peer >> method >> endpoint >> status >> reply &&
                    peer.starts_with("127.0.0.1"))
                    lines.push_back(endpoint + ' ' + status + ' ' + reply);
            }
            if (lines.size() >= count || std::chrono::steady_clock::now() > deadline)
                return lines;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    RecordsServerWithPlayer kit;
    RecordsServerProcess* logged = nullptr; // the server the clicks reach, when not the kit's
    int connections = 0;
};

// A name with a blank and "&" and an e-mail with "+" go through the game's encoding and the
// server's decoding; the same record put twice is refused; a record fetched on another
// computer comes back byte for byte, and a better one from another player takes the world
// record.
TEST_F(RecordsServerEndToEnd, PlayersPutGetAndCheckTheWorldRecord) {
    const RegisteredPlayer tom =
        AddRecordsPlayer(kit.Server().Db(), "Tom & Jerry", "tom+jerry@example.org");
    const TScoreRec tomsRecord = ValidRecord("Tom & Jerry", 300, 40, 10, 37708.0 /* 2003-03-28 */);
    TForm1& first = StartComputer(tom, tomsRecord);
    const std::string localWorld = RecordBytes(first.game().WorldRec());

    Click(first.Records().Button4); // nothing on the server yet
    Click(first.Records().Button9);
    EXPECT_EQ(RecordBytes(first.game().WorldRec()), localWorld);
    EXPECT_EQ(RecordBytes(first.game().MyRec()), RecordBytes(tomsRecord));
    Click(first.Records().Button5);
    Click(first.Records().Button5);
    Click(first.Records().Button4);
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{
                  " Failed, please try again later or visit https://lexfall.example.org/. ",
                  " No Record, please click \"Put MyRec\" to save Your Record to internet. ",
                  " Put Record success. ", " Record exists. ", " Get World Record success. "}));
    EXPECT_EQ(RecordBytes(first.game().WorldRec()), RecordBytes(tomsRecord));
    EXPECT_EQ(first.Records().WRecord[FigureRow::Keeper]->text(), "Tom & Jerry");
    EXPECT_EQ(RecordFile().substr(45), RecordBytes(tomsRecord));
    EXPECT_TRUE(ButtonsEnabled(first));

    // The same player on a computer without a record file.
    TForm1& second = StartComputer(tom, std::nullopt);
    dialogs.messages.clear();
    Click(second.Records().Button9);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{" Get Record success. "});
    EXPECT_EQ(RecordBytes(second.game().MyRec()), RecordBytes(tomsRecord));
    EXPECT_EQ(second.Records().MyRecord[FigureRow::Keeper]->text(), "Tom & Jerry");
    EXPECT_EQ(RecordFile().substr(0, 45), RecordBytes(tomsRecord));

    // Another player with a better record.
    const TScoreRec better = ValidRecord(kit.Player().Name, 600, 120, 40, 45000.0);
    ASSERT_GT(std::int32_t{better.Total}, std::int32_t{tomsRecord.Total}); // packed fields copied
    TForm1& third = StartComputer(kit.Player(), better);
    Click(third.Records().Button5);
    Click(third.Records().Button4);
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{" Put Record success. ", " Get World Record success. "}));
    EXPECT_EQ(RecordBytes(third.game().WorldRec()), RecordBytes(better));
    EXPECT_EQ(third.Records().WRecord[FigureRow::Keeper]->text(),
              QString::fromStdString(kit.Player().Name));
    EXPECT_EQ(RecordFile().substr(45), RecordBytes(better));
    EXPECT_TRUE(ButtonsEnabled(third));

    // What the server itself answered, as it logged each request.
    EXPECT_EQ(ServerLog(8),
              (std::vector<std::string>{"/checkwr.asp 200 empty", "/getmyrec.asp 200 5",
                                        "/putmyrec.asp 200 0", "/putmyrec.asp 200 6",
                                        "/checkwr.asp 200 record", "/getmyrec.asp 200 record",
                                        "/putmyrec.asp 200 0", "/checkwr.asp 200 record"}))
        << kit.Server().Output();
}

// https as a club runs it: the server behind a TLS front under a folder (what a reverse proxy
// does), its certificate from the club's own authority, which the player's system trusts.
TEST_F(RecordsServerEndToEnd, HttpsThroughAFrontUnderAFolder) {
    TestAuthority authority;
    ASSERT_TRUE(authority.Ok());
    setenv("SSL_CERT_FILE", authority.CaFile().c_str(), 1);
    const auto backend = static_cast<std::uint16_t>(kit.Server().Port());
    TlsPeer front(
        authority.Cert("loopback"), authority.Key("loopback"), 2,
        [backend](const std::string& request) { return RelayToLoopback(request, backend); });
    const TScoreRec record = ValidRecord(kit.Player().Name, 300, 40, 10, 37708.0 /* 2003-03-28 */);
    TForm1& f = StartComputer(kit.Player(), record, front.Url("localhost", "/lexfall/"));

    Click(f.Records().Button5);
    Click(f.Records().Button4);
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{" Put Record success. ", " Get World Record success. "}));
    EXPECT_EQ(RecordBytes(f.game().WorldRec()), RecordBytes(record));
    const auto requests = front.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].starts_with("GET /lexfall/putmyrec.asp?u=Test%20Player&"))
        << requests[0];
    EXPECT_NE(requests[0].find("&r=Test%20Player,10,300,40,"), std::string::npos) << requests[0];
    EXPECT_NE(requests[0].find(",2003-03-28 HTTP/1.1\r\n"), std::string::npos) << requests[0];
    EXPECT_EQ(ServerLog(2).size(), 2u) << kit.Server().Output();
    unsetenv("SSL_CERT_FILE");
}

// The records server serving https itself: the game verifies its certificate against the
// club's authority and the whole exchange runs encrypted end to end.
TEST_F(RecordsServerEndToEnd, HttpsServedByTheRecordsServer) {
    TestAuthority authority;
    ASSERT_TRUE(authority.Ok());
    setenv("SSL_CERT_FILE", authority.CaFile().c_str(), 1);
    RecordsServerProcess tls(kit.Server().Db(), {"--tls-cert", authority.Cert("loopback"),
                                                 "--tls-key", authority.Key("loopback")});
    logged = &tls;
    const TScoreRec record = ValidRecord(kit.Player().Name, 300, 40, 10, 37708.0 /* 2003-03-28 */);
    TForm1& f = StartComputer(kit.Player(), record,
                              "https://localhost:" + std::to_string(tls.Port()) + "/");

    Click(f.Records().Button5);
    Click(f.Records().Button9);
    Click(f.Records().Button4);
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{" Put Record success. ", " Get Record success. ",
                                        " Get World Record success. "}));
    EXPECT_EQ(RecordBytes(f.game().WorldRec()), RecordBytes(record));
    EXPECT_EQ(ServerLog(3),
              (std::vector<std::string>{"/putmyrec.asp 200 0", "/getmyrec.asp 200 record",
                                        "/checkwr.asp 200 record"}))
        << tls.Output();
    logged = nullptr;
    unsetenv("SSL_CERT_FILE");
}

} // namespace
} // namespace lexfall::testing
