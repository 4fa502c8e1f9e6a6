#include "support/SettingsFixture.h"

#include "app/FormStyle.h"
#include "support/LoopbackServer.h"
#include "support/Records.h"

#include <QPushButton>

namespace lexfall::testing {
namespace {

class OnlineExchange : public SettingsFormTest {
protected:
    void SetUp() override {
        SettingsFormTest::SetUp();
        regional.shortDateFormat = "%Y-%m-%d";
    }
    // The identity and the server in section Register; a music file so start-up is quiet.
    void LayRegister(const std::string& server, const std::string& regCode = "AB12") {
        LayIni("[Options]\r\nMusic=a.mid\r\n[Register]\r\nUserName=Joe Bloggs&x=1\r\n"
               "Email=joe@example.org\r\nRegCode=" +
               regCode + "\r\nServer=" + server + "\r\n");
    }
    static std::string Base(const LoopbackServer& server) {
        return "http://127.0.0.1:" + std::to_string(server.Port()) + "/";
    }
    static std::string Target(const std::string& request) {
        return request.substr(4, request.find(" HTTP/1.1") - 4);
    }
    static bool ButtonsEnabled(TForm1& f) {
        return style::OwnEnabled(f.Button4) && style::OwnEnabled(f.Button5) &&
               style::OwnEnabled(f.Button9);
    }
    // The records page in front, as the player reaches it.
    TForm1& RecordsPage() {
        TForm1& f = Form();
        f.Button2Click(f.Button2);
        dialogs.messages.clear(); // the new record file's notice
        return f;
    }
    static Exchange Ok(const std::string& body) {
        return {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                body};
    }
};

// Check WR shows and stores the world record, Put MyRec sends slot 0, Get MyRec stores what
// comes back: the player's round trip.
TEST_F(OnlineExchange, RecordsPageRoundTrip) {
    LoopbackServer server(
        {Ok("Champion,10,300,40,3010,2003-03-28"), Ok("0"), Ok("Keeper,2,30,10,194,2003-03-28")});
    LayRegister(Base(server));
    LayRecordFile(RecordBytes(ValidRecord("Player1", 300, 40, 10, 37708.0 /* 2003-03-28 */)) +
                  RecordBytes(ValidRecord("Old", 30, 10, 2)));
    TForm1& f = RecordsPage();

    f.Button4->click();
    EXPECT_EQ(RecordName(f.state.WorldRec), "Champion");
    EXPECT_EQ(std::int32_t{f.state.WorldRec.Total}, 3010);
    EXPECT_EQ(f.WRecord[0]->text(), "Champion");
    EXPECT_EQ(f.Label3->text(), "2003-03-28");
    EXPECT_EQ(RecordsBytes().substr(45, 45), RecordBytes(f.state.WorldRec));

    f.Button5->click();
    f.Button9->click();
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{" Get World Record success. ", " Put Record success. ",
                                        " Get Record success. "}));
    EXPECT_EQ(dialogs.questions,
              (std::vector<std::string>{"Put your record to game server, are you sure?",
                                        "Your current record maybe better than the server's, "
                                        "are you sure to get it?"}));
    EXPECT_EQ(RecordName(f.state.MyRec), "Keeper");
    EXPECT_EQ(f.MyRecord[0]->text(), "Keeper");
    EXPECT_EQ(RecordsBytes().substr(0, 45), RecordBytes(f.state.MyRec));
    EXPECT_TRUE(ButtonsEnabled(f));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(Target(requests[0]), "/checkwr.asp");
    EXPECT_EQ(Target(requests[1]), "/putmyrec.asp?u=Joe%20Bloggs%26x%3D1&e=joe@example.org&c=AB12"
                                   "&r=Player1,10,300,40,3010,2003-03-28");
    EXPECT_EQ(Target(requests[2]), "/getmyrec.asp?u=Joe%20Bloggs%26x%3D1&e=joe@example.org&c=AB12");
}

// Failures reach the error handler; the buttons come back and no record changes.
TEST_F(OnlineExchange, FailuresChangeNothingAndEnableTheButtonsAgain) {
    LoopbackServer server({{"HTTP/1.1 404 Not Found\r\n\r\n"},
                           Ok("1\r\n"),
                           Ok("0"),
                           Ok("Champion,10,300,40,3010,28/03/2003")});
    LayRegister(Base(server));
    TForm1& f = RecordsPage();
    std::vector<bool> enabledDuringRequest;
    network.onConnect = [&] {
        for (QPushButton* button : {f.Button4, f.Button9, f.Button5})
            enabledDuringRequest.push_back(style::OwnEnabled(button));
    };
    const std::string file = RecordsBytes();
    const std::string mine = RecordBytes(f.state.MyRec);
    const std::string world = RecordBytes(f.state.WorldRec);

    f.Button4->click();
    f.Button9->click();
    f.Button4->click();
    f.Button4->click();
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{
                  "HTTP/1.1 404 Not Found", "'' is not a valid integer value",
                  " Failed, please try again later or visit https://lexfall.example.org/. ",
                  "'28/03/2003' is not a valid date"}));
    EXPECT_EQ(RecordBytes(f.state.MyRec), mine);
    EXPECT_EQ(RecordBytes(f.state.WorldRec), world);
    EXPECT_EQ(RecordsBytes(), file);
    EXPECT_TRUE(ButtonsEnabled(f));

    const std::uint16_t refused = RefusedPort();
    LayRegister("http://127.0.0.1:" + std::to_string(refused) + "/");
    dialogs.messages.clear();
    f.Button5->click();
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"Socket Error # 10061\nConnection refused."});
    EXPECT_TRUE(ButtonsEnabled(f));
    // Each exchange's own button, and only it, is disabled while its request runs: Check WR
    // three times, Get MyRec, then Put MyRec.
    EXPECT_EQ(enabledDuringRequest,
              (std::vector<bool>{false, true, true, true, false, true, false, true, true, false,
                                 true, true, true, true, false}));
}

// No answer, a missing access code or a bad server address: nothing is sent.
TEST_F(OnlineExchange, NothingIsSentWithoutConsentIdentityOrAValidServer) {
    LoopbackServer server({Ok("0")});
    LayRegister(Base(server), "");
    TForm1& f = RecordsPage();

    dialogs.answer = false; // No, or Esc
    f.Button5->click();
    f.Button9->click();
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.answer = true;
    f.Button5->click();
    f.Button9->click();
    const std::string missing = " User information is not enough: please fill in UserName, "
                                "Email and RegCode in section [Register] of " +
                                IniPath() + ". ";
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{missing, missing}));

    LayRegister("records.example.org");
    dialogs.messages.clear();
    f.Button4->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("Server= in section [Register]"), std::string::npos);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(ButtonsEnabled(f));
}

} // namespace
} // namespace lexfall::testing
