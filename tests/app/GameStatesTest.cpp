// SPDX-License-Identifier: GPL-3.0-or-later
// Where the game's states meet the window's boxes, exchanges and saves: each case is a way a
// record was once lost or a pause broken, played through the real window.
#include "support/FormFixture.h"
#include "support/LoopbackServer.h"
#include "support/Records.h"
#include "support/SettingsFixture.h"

#include "app/FormStyle.h"
#include "online/RecordText.h"

#include <QTimer>

#include <filesystem>

namespace lexfall::testing {
namespace {

namespace fs = std::filesystem;

const TScoreRec kMine = ValidRecord("Alice", 30, 10, 2);  // total 194
const TScoreRec kWorld = ValidRecord("Bob", 300, 40, 10); // total 3010
const std::string kUnsavedQuestion =
    "Your last game is a new record that has not been saved. Save it now?";

class GameStates : public SettingsFormTest {
protected:
    void PrepareAppDir(const QString&) override {
        dir.Put("Dict.dll", kWordlessDict);
        LayRecordFile(RecordBytes(kMine) + RecordBytes(kWorld));
    }
    void LayOptions(const std::string& options, const LoopbackServer& server) {
        LayIni("[Options]\r\nMusic=a.mid\r\n" + options +
               "[Register]\r\nUserName=Alice\r\nEmail=a@example.org\r\nRegCode=AB12\r\n"
               "Server=http://127.0.0.1:" +
               std::to_string(server.Port()) + "/\r\n");
    }
    static Exchange Ok(const std::string& body, std::chrono::milliseconds delay = {}) {
        return {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                    body,
                delay};
    }
    // A game of total 489, beating the own record (194) but not the world's.
    void PlayGameBeatingMyTotal(TForm1& f) {
        PlayGameWith(f, 40, 15, 3);
        ASSERT_FALSE(f.GameRunning());
        ASSERT_EQ((std::int32_t{f.game().GameRec().Total}), 489);
    }
};

// Minimised while an exchange runs: the reply lifts only the exchange's hold, so the game
// stays covered and still; the pause key lifts the cover.
TEST_F(GameStates, MinimisedDuringAnExchangeStaysHeld) {
    LoopbackServer server({Ok(RecordText(kWorld), std::chrono::milliseconds(600))});
    LayOptions("", server);
    TForm1& f = Form();
    f.show();
    f.Button1Click(f.Button1);
    f.Button2Click(f.Button2);
    QTimer::singleShot(200, &f, [&f] { f.setWindowState(Qt::WindowMinimized); });
    f.Records().Button4->click();
    EXPECT_EQ(RecordBytes(f.game().WorldRec()), RecordBytes(kWorld)) << "the reply came";
    EXPECT_TRUE(f.game().Covered());
    EXPECT_FALSE(f.Timer1->Enabled());
    EXPECT_FALSE(f.Timer2->Enabled());
    f.setWindowState(Qt::WindowNoState);
    f.FormKeyDown('P', {});
    EXPECT_FALSE(f.game().Covered());
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_TRUE(f.Timer2->Enabled());
}

// A failed automatic save: the page says the game is not saved and keeps showing the stored
// record, and a new game asks about the unsaved one.
TEST_F(GameStates, FailedAutoSaveIsAskedAboutAgain) {
    LoopbackServer server({});
    LayOptions("AutoSave=1\r\n", server);
    TForm1& f = Form();
    ASSERT_TRUE(fs::remove(RecordsPath()));
    ASSERT_TRUE(fs::create_directory(RecordsPath()));
    PlayGameBeatingMyTotal(f);
    ASSERT_EQ(dialogs.messages.size(), 1u) << "the failed save's box";
    EXPECT_NE(f.BrokenText().find("Not saved"), std::string::npos) << f.BrokenText();
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Total]->text(), "194");
    EXPECT_TRUE(f.game().Unsaved());
    dialogs.answer = false;
    f.Button1Click(f.Button1);
    EXPECT_EQ(dialogs.questions, std::vector<std::string>{kUnsavedQuestion});
}

// Get MyRec brings back a better record than the unsaved game: nothing is asked, and the
// better record stays in the file.
TEST_F(GameStates, AFetchedBetterRecordEndsTheUnsavedQuestion) {
    const TScoreRec better = ValidRecord("Alice", 300, 40, 10, 45000.0);
    LoopbackServer server({Ok(RecordText(better))});
    LayOptions("", server);
    TForm1& f = Form();
    PlayGameBeatingMyTotal(f);
    ASSERT_TRUE(f.game().Unsaved());
    f.Button9Click(f.Records().Button9);
    dialogs.questions.clear();
    f.Button1Click(f.Button1);
    EXPECT_TRUE(dialogs.questions.empty()) << dialogs.questions.front();
    EXPECT_EQ(RecordsBytes().substr(0, 45), RecordBytes(better));
}

// The file holds a better record than the one the player saw (another copy saved it): Get
// MyRec replaces it only when the player says so, asked with the stored record's figures.
TEST_F(GameStates, GetMyRecAsksBeforeReplacingABetterStoredRecord) {
    const TScoreRec fetched = ValidRecord("Alice", 40, 14, 3, 45000.0);  // total 489
    const TScoreRec stored = ValidRecord("Alice", 300, 40, 10, 45001.0); // total 3010
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        form.reset();
        LayRecordFile(RecordBytes(kMine) + RecordBytes(kWorld));
        LoopbackServer server({Ok(RecordText(fetched))});
        LayOptions("", server);
        TForm1& f = Form();
        LayRecordFile(RecordBytes(stored) + RecordBytes(kWorld)); // saved by another copy
        dialogs.questions.clear();
        dialogs.decide = [&] { return dialogs.questions.size() == 1 || replace; };
        f.Button9Click(f.Records().Button9);
        ASSERT_EQ(dialogs.questions.size(), 2u);
        EXPECT_NE(dialogs.questions[1].find("total 3010: 10 words, 40 letters, 300 seconds"),
                  std::string::npos)
            << dialogs.questions[1];
        const TScoreRec& kept = replace ? fetched : stored;
        EXPECT_EQ(RecordsBytes().substr(0, 45), RecordBytes(kept));
        EXPECT_EQ(RecordBytes(f.game().MyRec()), RecordBytes(kept));
        dialogs.decide = nullptr;
    }
}

// A box holds the game while it is open, so no game ends (and is saved) under a question;
// the game goes on once it is answered.
TEST_F(GameStates, AQuestionHoldsTheGame) {
    LoopbackServer server({});
    LayOptions("AutoSave=1\r\n", server);
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    bool heldWhileAsked = false;
    dialogs.decide = [&] {
        heldWhileAsked = !f.Timer1->Enabled() && !f.Timer2->Enabled();
        return false;
    };
    f.Button9Click(f.Records().Button9);
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_TRUE(heldWhileAsked);
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_TRUE(f.Timer2->Enabled());
}

} // namespace
} // namespace lexfall::testing
