// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SettingsFixture.h"

#include "app/FormStyle.h"
#include "app/GameTimer.h"
#include "online/HttpAccess.h"
#include "platform/qt/QtDialogs.h"
#include "support/LoopbackServer.h"
#include "support/Records.h"
#include "support/TlsPeer.h"
#include "support/TricklingServer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>

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
        return style::OwnEnabled(f.Records().Button4) && style::OwnEnabled(f.Records().Button5) &&
               style::OwnEnabled(f.Records().Button9);
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

    f.Records().Button4->click();
    EXPECT_EQ(RecordName(f.game().WorldRec()), "Champion");
    EXPECT_EQ(std::int32_t{f.game().WorldRec().Total}, 3010);
    EXPECT_EQ(f.Records().WRecord[FigureRow::Keeper]->text(), "Champion");
    EXPECT_EQ(f.Records().Label3->text(), "2003-03-28");
    EXPECT_EQ(RecordsBytes().substr(45, 45), RecordBytes(f.game().WorldRec()));

    f.Records().Button5->click();
    f.Records().Button9->click();
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{" Get World Record success. ", " Put Record success. ",
                                        " Get Record success. "}));
    EXPECT_EQ(dialogs.questions,
              (std::vector<std::string>{"Put your record to game server, are you sure?",
                                        "Your current record maybe better than the server's, "
                                        "are you sure to get it?"}));
    EXPECT_EQ(RecordName(f.game().MyRec()), "Keeper");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), "Keeper");
    EXPECT_EQ(RecordsBytes().substr(0, 45), RecordBytes(f.game().MyRec()));
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
        for (QPushButton* button : {f.Records().Button4, f.Records().Button9, f.Records().Button5})
            enabledDuringRequest.push_back(style::OwnEnabled(button));
    };
    const std::string file = RecordsBytes();
    const std::string mine = RecordBytes(f.game().MyRec());
    const std::string world = RecordBytes(f.game().WorldRec());

    f.Records().Button4->click();
    f.Records().Button9->click();
    f.Records().Button4->click();
    f.Records().Button4->click();
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{
                  "HTTP/1.1 404 Not Found", "'' is not a valid integer value",
                  " Failed, please try again later or visit https://lexfall.example.org/. ",
                  "'28/03/2003' is not a valid date"}));
    EXPECT_EQ(RecordBytes(f.game().MyRec()), mine);
    EXPECT_EQ(RecordBytes(f.game().WorldRec()), world);
    EXPECT_EQ(RecordsBytes(), file);
    EXPECT_TRUE(ButtonsEnabled(f));

    const std::uint16_t refused = RefusedPort();
    LayRegister("http://127.0.0.1:" + std::to_string(refused) + "/");
    dialogs.messages.clear();
    f.Records().Button5->click();
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
    f.Records().Button5->click();
    f.Records().Button9->click();
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.answer = true;
    f.Records().Button5->click();
    f.Records().Button9->click();
    const std::string missing = " User information is not enough: please fill in UserName, "
                                "Email and RegCode in section [Register] of " +
                                IniPath() + ". ";
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{missing, missing}));

    LayRegister("records.example.org");
    dialogs.messages.clear();
    f.Records().Button4->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("Server= in section [Register]"), std::string::npos);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(ButtonsEnabled(f));
}

// Put MyRec sends the date as ISO from any desktop; Check WR reads ISO first and the player's
// own short format after it (records stored by older copies).
TEST_F(OnlineExchange, DatesTravelAsIsoAndOldOnesStillRead) {
    regional.shortDateFormat = "%d.%m.%Y"; // a Swiss desktop
    LoopbackServer server({Ok("0"), Ok("Champion,10,300,40,3010,2003-03-05"),
                           Ok("Champion,10,300,40,3010,06.03.2003")});
    LayRegister(Base(server));
    LayRecordFile(RecordBytes(ValidRecord("Player1", 300, 40, 10, 37708.0 /* 2003-03-28 */)) +
                  RecordBytes(ValidRecord("Old", 30, 10, 2)));
    TForm1& f = RecordsPage();
    f.Records().Button5->click();
    f.Records().Button4->click();
    EXPECT_EQ(f.Records().Label3->text(), "2003-03-05");
    f.Records().Button4->click();
    EXPECT_EQ(f.Records().Label3->text(), "2003-03-06");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(Target(requests[0]), "/putmyrec.asp?u=Joe%20Bloggs%26x%3D1&e=joe@example.org&c=AB12"
                                   "&r=Player1,10,300,40,3010,2003-03-28");
}

// A server under a folder, over http and over https with the tests' own authority; what the
// server sends is shown as the characters it is, never as markup.
TEST_F(OnlineExchange, ServerUnderAFolderOverBothSchemes) {
    TestAuthority authority;
    ASSERT_TRUE(authority.Ok());
    setenv("SSL_CERT_FILE", authority.CaFile().c_str(), 1);
    LoopbackServer plain({Ok("<h1>X,10,300,40,3010,2003-03-28")});
    TlsPeer secure(authority.Cert("loopback"), authority.Key("loopback"),
                   {Ok("<img src=x>,10,300,40,3010,2003-03-28").reply});

    LayRegister("http://127.0.0.1:" + std::to_string(plain.Port()) + "/club/lexfall/");
    TForm1& f = RecordsPage();
    f.Records().Button4->click();
    EXPECT_EQ(f.Records().WRecord[FigureRow::Keeper]->text(), "<h1>X");
    EXPECT_EQ(f.Records().WRecord[FigureRow::Keeper]->textFormat(), Qt::PlainText);
    ASSERT_EQ(plain.Requests().size(), 1u);
    EXPECT_EQ(Target(plain.Requests()[0]), "/club/lexfall/checkwr.asp");

    LayRegister("https://localhost:" + std::to_string(secure.Port()) + "/club/");
    f.Records().Button4->click();
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{" Get World Record success. ",
                                                          " Get World Record success. "}));
    EXPECT_EQ(RecordName(f.game().WorldRec()), "<img src=x>");
    EXPECT_EQ(f.Records().WRecord[FigureRow::Keeper]->text(), "<img src=x>");
    ASSERT_EQ(secure.Requests().size(), 1u);
    EXPECT_EQ(Target(secure.Requests()[0]), "/club/checkwr.asp");
    unsetenv("SSL_CERT_FILE");
}

// A message box shows a reply or an error as the characters it holds.
TEST(PlainTextBoxes, MessageAndQuestionBoxesShowMarkupAsText) {
    QtDialogs dialogs;
    std::vector<Qt::TextFormat> formats;
    const auto inspect = [&] {
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                formats.push_back(box->textFormat());
                box->accept();
            }
        });
    };
    inspect();
    dialogs.ShowMessage("'<img src=x>' is not a valid date");
    inspect();
    dialogs.Confirm("<b>Put</b>?");
    EXPECT_EQ(formats, (std::vector<Qt::TextFormat>{Qt::PlainText, Qt::PlainText}));
}

// While a request runs the window paints, the button is disabled under a busy cursor, the
// game's timers are held and no input but the waiting box's gets through; the box's Cancel (or
// Esc) ends the request at once with "Cancelled." and changes nothing.
TEST_F(OnlineExchange, WaitingBoxCancelsAndNothingChanges) {
    LoopbackServer server({{"", std::chrono::milliseconds(0), Exchange::End::Hold},
                           {"", std::chrono::milliseconds(0), Exchange::End::Hold}});
    LayRegister(Base(server));
    TForm1& f = RecordsPage();
    const std::string file = RecordsBytes();
    const std::string world = RecordBytes(f.game().WorldRec());
    f.Button1Click(f.Button1); // a game runs behind the records page

    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape);
        dialogs.messages.clear();
        bool sawBox = false, buttonDisabled = false, busyCursor = false, timersHeld = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* box = QApplication::activeModalWidget()
                            ? QApplication::activeModalWidget()->findChild<QLabel*>()
                            : nullptr;
            if (box == nullptr || !box->isVisible())
                return;
            watch.stop();
            sawBox = box->text() == QString::fromUtf8("Contacting the records server\u2026");
            buttonDisabled = !style::OwnEnabled(f.Records().Button4);
            busyCursor = QApplication::overrideCursor() != nullptr &&
                         QApplication::overrideCursor()->shape() == Qt::BusyCursor;
            timersHeld = !Counting(*f.Timer2);
            // A click on another exchange's button is held back.
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5),
                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.Records().Button9, &press);
            QApplication::sendEvent(f.Records().Button9, &release);
            QWidget* waiting = QApplication::activeModalWidget();
            if (const char* shot = std::getenv("LEXFALL_WAITING_BOX_SHOT"); shot && !byEscape)
                waiting->grab().save(QString::fromLocal8Bit(shot));
            if (byEscape) {
                // As the desktop delivers it: to the box's window first.
                QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(waiting->windowHandle(), &esc);
            } else {
                waiting->findChild<QPushButton*>()->click();
            }
        });
        watch.start(20);
        f.Records().Button4->click();
        EXPECT_TRUE(sawBox);
        EXPECT_TRUE(buttonDisabled);
        EXPECT_TRUE(busyCursor);
        EXPECT_TRUE(timersHeld);
        EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Cancelled."});
        EXPECT_TRUE(dialogs.questions.empty()) << "the click on Get MyRec got through";
        EXPECT_EQ(RecordBytes(f.game().WorldRec()), world);
        EXPECT_EQ(RecordsBytes(), file);
        EXPECT_TRUE(ButtonsEnabled(f));
        EXPECT_TRUE(Counting(*f.Timer2)) << "the clock runs again";
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

// A reply trickling in faster than the idle limit ends at the exchange's deadline, and the
// window paints all the while.
TEST_F(OnlineExchange, TricklingReplyEndsAtTheDeadlineAndTheWindowPaints) {
    TricklingServer server("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n",
                           std::chrono::milliseconds(20));
    LayRegister("http://127.0.0.1:" + std::to_string(server.Port()) + "/");
    using namespace std::chrono_literals;
    httpLimits = HttpLimits{500ms, 60s, 2s, 1500ms};
    TForm1& f = RecordsPage();

    // Counts the window's paints while something asks it to repaint, as the desktop would.
    struct PaintLog final : QObject {
        std::vector<std::chrono::steady_clock::time_point> paints;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                paints.push_back(std::chrono::steady_clock::now());
            return false;
        }
    } log;
    f.Records().Label3->installEventFilter(&log);
    f.show();
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, [&] {
        f.Records().Label3->repaint();
        f.Records().Label3->update();
    });
    repaint.start(50);
    const auto start = std::chrono::steady_clock::now();
    f.Records().Button4->click();
    const auto end = std::chrono::steady_clock::now();
    repaint.stop();

    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Read timed out."});
    ASSERT_GE(log.paints.size(), 2u) << "the window did not paint during the request";
    // The longest time without a paint, for the record (not a pass mark).
    auto longest = log.paints.front() - start;
    for (std::size_t i = 1; i < log.paints.size(); ++i)
        longest = std::max(longest, log.paints[i] - log.paints[i - 1]);
    longest = std::max(longest, end - log.paints.back());
    std::cout << "request "
              << std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count()
              << " ms, paints " << log.paints.size() << ", longest without painting "
              << std::chrono::duration_cast<std::chrono::milliseconds>(longest).count() << " ms\n";
}

} // namespace
} // namespace lexfall::testing
