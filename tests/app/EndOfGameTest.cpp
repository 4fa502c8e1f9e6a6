// SPDX-License-Identifier: GPL-3.0-or-later
// The end of a game through the window: the verdict painted, Save Rec run, the game clock and
// the records page. Which record each figure breaks is the rule's, tested without a window.
#include "support/EndOfGameCases.h"
#include "support/FormFixture.h"

#include "app/FormStyle.h"
#include "records/ScoreRec.h"

#include <QFrame>

#include <cstring>

namespace lexfall::testing {
namespace {

const std::string kMissingRecords = " Cannot find \"Records.dat\" file, new one created. ";
const std::string kGameOver = "sound\\GameOver.wav";
const std::string kRecBroken = "sound\\RecBroken.wav";

char ColourLetter(const QLabel* label) {
    const QColor colour = style::TextColour(label);
    return colour == style::kBlack   ? 'k'
           : colour == style::kRed   ? 'R'
           : colour == style::kGreen ? 'G'
                                     : '?';
}

class EndOfGame : public FormTest {
protected:
    // A dictionary without words: no start of a game reports a missing one.
    void PrepareAppDir(const QString&) override { dir.Put("Dict.dll", kWordlessDict); }

    void LayRecords(const TScoreRec& mine, const TScoreRec& world) {
        LayRecordFile(RecordBytes(mine) + RecordBytes(world));
    }

    void LayOptions(const std::string& lines) { dir.Put("Lexfall.ini", "[Options]\r\n" + lines); }

    void Start() {
        TForm1& f = Form();
        f.Button1Click(f.Button1);
    }

    // Ends the running game with these figures: the clock ticks `time` seconds, then the
    // entered letter stops in row 0 at the next drop tick as the last of `letters`.
    void EndWith(std::int32_t time, std::int32_t letters, std::int32_t words) {
        TForm1& f = Form();
        for (std::int32_t second = 0; second < time; ++second)
            f.Timer2Timer();
        f.SetUpGame().FiguresToSetUp().UsedLetters = letters - 1;
        f.SetUpGame().FiguresToSetUp().CompletedWords = words;
        f.SetUpGame().PutLetter(3, 1, 'E');
        f.Timer1Timer();
        ASSERT_FALSE(f.GameRunning());
    }

    // Game and own-record label colours of the time, letters, words and total rows.
    std::string RowColours() {
        TForm1& f = Form();
        std::string colours;
        for (FigureRow::Row row : kRecordFigureRows)
            colours += std::string(colours.empty() ? "" : " ") +
                       ColourLetter(f.Records().MyScore[row]) +
                       ColourLetter(f.Records().MyRecord[row]);
        return colours;
    }

    // The world column is never recoloured.
    void ExpectWorldColumnBlack() {
        for (FigureRow::Row row : kRecordFigureRows)
            EXPECT_EQ(ColourLetter(Form().Records().WRecord[row]), 'k') << "WRecord" << row;
    }
};

// New record file, 40 s, 15 letters, no word: time and letters are own records, total is not.
TEST_F(EndOfGame, FirstGameAgainstFreshRecords) {
    TForm1& f = Form();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kMissingRecords});
    const std::string fileBefore = RecordsBytes();
    Start();
    EndWith(40, 15, 0);

    EXPECT_EQ(RowColours(), "GG GG kk kk");
    ExpectWorldColumnBlack();
    EXPECT_EQ(f.Records().MyScore[FigureRow::Time]->text(), "40");
    EXPECT_EQ(f.Records().MyScore[FigureRow::Letters]->text(), "15");
    EXPECT_EQ(f.Records().MyScore[FigureRow::Total]->text(), "0");
    EXPECT_EQ(f.BrokenText(), kYours + "\r\r" + kCantSave);
    EXPECT_EQ(f.Records().LabelBroken->text().toStdString(), kYours + "\n\n" + kCantSave);
    EXPECT_EQ(ColourLetter(f.Records().LabelBroken), 'G');
    EXPECT_FALSE(style::OwnEnabled(f.Records().Button8));
    EXPECT_EQ(sound.waves, (std::vector<std::string>{kGameOver, kRecBroken, kRecBroken}));
    EXPECT_EQ(RecordsBytes(), fileBefore);

    EXPECT_FALSE(f.Timer1->Enabled());
    EXPECT_FALSE(f.Timer2->Enabled());
    EXPECT_FALSE(f.Records().PanelRecord->isHidden());
    EXPECT_TRUE(f.Records().PanelRecord->isEnabled());
    EXPECT_TRUE(f.PanelGame->isHidden());
    EXPECT_FALSE(f.PanelGame->isEnabled());
}

// Start undoes the last game's marks, so a world record then does not colour the next game.
TEST_F(EndOfGame, PreviousWorldRecordDoesNotLeakIntoTheNextGame) {
    LayRecords(kMine, kWorld);
    TForm1& f = Form();
    Start();
    EndWith(50, 12, 8);
    ASSERT_EQ(ColourLetter(f.Records().LabelBroken), 'R');

    dialogs.answer = false; // not saved when Start asks: the next game still meets kMine
    Start();
    EXPECT_EQ(RowColours(), "kk kk kk kk");
    EXPECT_EQ(ColourLetter(f.Records().LabelBroken), 'k');
    EXPECT_EQ(f.BrokenText(), "");
    EXPECT_TRUE(f.Records().LabelBroken->text().isEmpty());
    EXPECT_FALSE(style::OwnEnabled(f.Records().Button8));

    EndWith(30, 5, 0); // only the own time record
    EXPECT_EQ(RowColours(), "GG kk kk kk");
    EXPECT_EQ(ColourLetter(f.Records().LabelBroken), 'G');
    EXPECT_EQ(f.BrokenText(), kYours + "\r\r" + kCantSave);
    EXPECT_EQ(f.Records().LabelBroken->text().toStdString(), kYours + "\n\n" + kCantSave);
}

// A game of 50 s, 12 letters and 8 words against kMine and `world`.
struct SaveCase {
    const char* name;
    TScoreRec world;
    const char* rows; // as RowColours gives them
    char labelColour; // LabelBroken's: a red mark stays red after a green one
    std::string text;
};

void PrintTo(const SaveCase& c, std::ostream* out) {
    *out << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<SaveCase>& test) {
    return test.param.name;
}

// With AutoSave on and no clear key, a broken total is saved at once without a question, and
// with sound effects off no mark sounds.
class AutoSaveOn : public EndOfGame, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(AutoSaveOn, SavesTheGameIntoSlotZero) {
    LayRecords(kMine, GetParam().world);
    LayOptions("AutoSave=1\r\nSound=0\r\n");
    TForm1& f = Form();
    Start();
    EndWith(50, 12, 8); // total 24584
    EXPECT_EQ(RowColours(), GetParam().rows);
    ExpectWorldColumnBlack();
    EXPECT_EQ(ColourLetter(f.Records().LabelBroken), GetParam().labelColour);
    EXPECT_EQ(f.BrokenText(), GetParam().text);
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_FALSE(style::OwnEnabled(f.Records().Button8));

    const std::string file = RecordsBytes();
    ASSERT_EQ(file.size(), 90u);
    TScoreRec saved{};
    std::memcpy(&saved, file.data(), sizeof saved);
    EXPECT_EQ(RecordName(saved), "Player1");
    EXPECT_EQ((std::int32_t{saved.UsedTime}), 50);
    EXPECT_EQ((std::int32_t{saved.UsedLetters}), 12);
    EXPECT_EQ((std::int32_t{saved.CompletedWords}), 8);
    EXPECT_EQ((std::int32_t{saved.Total}), 24584);
    EXPECT_EQ((double{saved.Date}), clock.today);
    EXPECT_EQ(file.substr(45), RecordBytes(GetParam().world));
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Total]->text(), "24584")
        << "the own column shows the saved record";
    EXPECT_TRUE(sound.waves.empty()) << "sound effects are off";
}

INSTANTIATE_TEST_SUITE_P(EndOfGame, AutoSaveOn,
                         ::testing::Values(SaveCase{"OwnTotal", kNoRecord, "GG kk GG GG", 'G',
                                                    kYours + "\r\r" + kSavedAutomatically},
                                           SaveCase{"WorldTotal", kWorldOfTimeAndTotal,
                                                    "RR kk GG RR", 'R', kWorlds}),
                         CaseName);

// A game ended before the first clock tick divides by nothing: ratios without a divisor keep
// the last game's texts. That last game also shows the game column's ratios.
TEST_F(EndOfGame, GameOverBeforeTheFirstTick) {
    LayRecords(kNoRecord, kNoRecord);
    TForm1& f = Form();
    Start();
    EndWith(48, 20, 5);
    EXPECT_EQ(f.Records().MyScore[FigureRow::LettersPerWord]->text(), "4.00");
    EXPECT_EQ(f.Records().MyScore[FigureRow::WordsPerMinute]->text(), "6.25");
    EXPECT_EQ(f.Records().MyScore[FigureRow::SecondsPerWord]->text(), "9.60");

    Start();
    EndWith(0, 1, 0);
    EXPECT_EQ(f.Records().MyScore[FigureRow::Time]->text(), "0");
    EXPECT_EQ(f.Records().MyScore[FigureRow::Total]->text(), "0");
    EXPECT_EQ(f.Records().MyScore[FigureRow::LettersPerWord]->text(), "4.00");
    EXPECT_EQ(f.Records().MyScore[FigureRow::WordsPerMinute]->text(), "6.25");
    EXPECT_EQ(f.Records().MyScore[FigureRow::SecondsPerWord]->text(), "9.60");
    EXPECT_TRUE(dialogs.messages.empty());
}

// The own column: from the file at start-up, and from the game after Save Rec.
TEST_F(EndOfGame, OwnColumnShowsRatiosAndDate) {
    LayRecords(ValidRecord("Alice", 48, 20, 5), kNoRecord);
    TForm1& f = Form();
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), "Alice");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::LettersPerWord]->text(), "4.00");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::WordsPerMinute]->text(), "6.25");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::SecondsPerWord]->text(), "9.60");
    EXPECT_EQ(f.Records().Label2->text(), "2023-03-15");

    Start();
    EndWith(45, 18, 8);
    f.Button8Click(f.Records().Button8);
    EXPECT_EQ(f.Records().MyRecord[FigureRow::Keeper]->text(), "Player1");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::LettersPerWord]->text(), "2.25");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::WordsPerMinute]->text(), "10.67");
    EXPECT_EQ(f.Records().MyRecord[FigureRow::SecondsPerWord]->text(), "5.63");
    EXPECT_EQ(f.Records().Label2->text(), "2026-12-10");
}

// The drop interval (750) first shrinks at the tick that makes the time 751, then every tick.
TEST_F(EndOfGame, ClockSpeedsUpAfter750Seconds) {
    TForm1& f = Form();
    Start();
    ASSERT_EQ(f.Timer1->Interval(), 750);
    f.SetUpGame().FiguresToSetUp().UsedTime = 749;
    struct Tick {
        int seconds, interval;
    };
    for (const Tick tick : {Tick{750, 750}, Tick{751, 749}, Tick{752, 748}}) {
        f.Timer2Timer();
        EXPECT_EQ(f.Records().MyScore[FigureRow::Time]->text(), QString::number(tick.seconds));
        EXPECT_EQ(f.Timer1->Interval(), tick.interval) << "after second " << tick.seconds;
    }
    EXPECT_TRUE(f.Timer1->Enabled());
}

// The Records button only shows the page: the game is not evaluated and both timers go on.
TEST_F(EndOfGame, RecordsButtonDuringAGameKeepsItRunning) {
    TForm1& f = Form();
    Start();
    f.Timer2Timer();
    f.Button2Click(f.Button2);
    EXPECT_FALSE(f.Records().PanelRecord->isHidden());
    EXPECT_TRUE(f.PanelGame->isHidden());
    EXPECT_TRUE(f.GameRunning());
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_TRUE(f.Timer2->Enabled());
    EXPECT_TRUE(sound.waves.empty()) << "no game-over sound";
    f.Timer2Timer();
    f.Timer1Timer();
    EXPECT_EQ(f.Records().MyScore[FigureRow::Time]->text(), "2");
    EXPECT_EQ(f.game().Field().Block().Row, 1);
}

} // namespace
} // namespace lexfall::testing
