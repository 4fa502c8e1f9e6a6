// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FormFixture.h"

#include "support/Events.h"
#include "text/Error.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>
#include <cmath>

#include <functional>
#include <optional>

namespace lexfall::testing {
namespace {

// A game on the real dictionary: scripted letters and keys build CAT, which is cleared and
// logged.
class WordGame : public FormTest {
protected:
    void PrepareAppDir(const QString& path) override {
        ASSERT_TRUE(QFile::copy(LEXFALL_BIN_DIR "/Dict.dll", path + "Dict.dll"));
    }
};

// The falling letter becomes a T resting in column 4 of the bottom row.
void EnterT4(TForm1& f) {
    Game& game = f.SetUpGame();
    const std::uint8_t next = game.NextChar();
    game.Preview('T');
    game.Enter(next);
    game.Move(+1);
    game.DropToRest();
    ASSERT_EQ(f.game().Field().Block().Col, 4);
    ASSERT_EQ(f.game().Field().Block().Row, 9);
}

TEST_F(WordGame, BuildsARealWordAndSeesItClearedAndLogged) {
    random.numbers = {kC, kA, kT, kE, kE};
    TForm1& f = Form();
    f.Button1Click(f.Button1);

    f.FormKeyDown(vk::Left, {}); // C to column 2
    f.FormKeyDown(vk::Down, {});
    f.Timer1Timer();
    f.FormKeyDown(vk::Space, {}); // A stays in column 3
    f.Timer1Timer();
    ASSERT_EQ(f.game().Field().Chars()[2][9], 'C');
    ASSERT_EQ(f.game().Field().Chars()[3][9], 'A');
    EXPECT_EQ(std::int32_t{f.game().GameRec().CompletedWords}, 0);

    f.FormKeyDown(vk::Right, {}); // T to column 4
    f.FormKeyDown(vk::Down, {});
    f.Timer1Timer();

    EXPECT_EQ(std::int32_t{f.game().GameRec().CompletedWords}, 1);
    EXPECT_EQ(f.Memo1->toPlainText(), "1:CAT");
    EXPECT_EQ(f.Records().MyScore[FigureRow::Words]->text(), "1");
    EXPECT_EQ(f.Records().MyScore[FigureRow::SecondsPerWord]->text(), "0.00")
        << "seconds per word while no second has passed";
    for (int col = 2; col <= 4; ++col) {
        EXPECT_EQ(f.game().Field().Chars()[col][9], 0);
        EXPECT_EQ(f.Image1->Image().pixel(col * 40 + 20, 380), qRgb(0, 0, 0));
    }
    EXPECT_EQ(sound.waves, std::vector<std::string>{"sound\\chimes.wav"});
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_TRUE(f.Timer2->Enabled());
    EXPECT_EQ(f.game().Field().Block().Letter, 'E');
}

// Letters stacked above a cleared word move one row down in the grid and in the picture.
TEST_F(WordGame, LettersAboveTheWordFallOneRow) {
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    // C A _ in row 9, an X on top of the A, then T lands in column 4.
    f.SetUpGame().PutLetter(2, 9, 'C');
    f.SetUpGame().PutLetter(3, 9, 'A');
    f.SetUpGame().PutLetter(3, 8, 'X');
    QImage& board = f.Image1->Image();
    board.setPixel(125, 325, qRgb(10, 20, 30)); // a mark in the X's cell (3, 8)
    EnterT4(f);
    f.FixBlock();
    EXPECT_EQ(f.game().Field().Chars()[3][9], 'X');
    EXPECT_EQ(f.game().Field().Chars()[3][8], 0);
    EXPECT_EQ(f.game().Field().Chars()[2][9], 0);
    EXPECT_EQ(board.pixel(125, 365), qRgb(10, 20, 30));
    EXPECT_EQ(board.pixel(125, 325), qRgb(0, 0, 0));
    EXPECT_EQ(f.Memo1->toPlainText(), "1:CAT");
}

double RelativeLuminance(QRgb colour) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) +
           0.0722 * channel(qBlue(colour));
}

double Contrast(QRgb a, QRgb b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The word log can be read: its text stands out from the button face by at least 4.5:1 as
// painted, and the newest line is always whole in view, also after words were logged behind
// another page, since nobody can scroll it.
TEST_F(WordGame, TheLogIsReadableAndShowsItsNewestLine) {
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    for (int word = 1; word <= 30; ++word) {
        if (word == 2)
            f.show();
        if (word == 5) // the game goes on behind the records page
            f.Button2Click(f.Button2);
        f.ClearWord(0, 2, "CAT", 9);
    }
    f.FormKeyDown(vk::Delete, ShiftState{.shift = true}); // a long entry, over several lines
    f.Button3Click(f.Records().Button3);
    const QRgb face = f.palette().color(QPalette::Button).rgb();
    const QImage painted = f.Memo1->viewport()->grab().toImage();
    QRgb darkest = face;
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            if (RelativeLuminance(painted.pixel(x, y)) < RelativeLuminance(darkest))
                darkest = painted.pixel(x, y);
    EXPECT_EQ(painted.pixel(painted.width() - 2, painted.height() - 2), face);
    EXPECT_GE(Contrast(darkest, face), 4.5);

    QTextCursor end(f.Memo1->document());
    end.movePosition(QTextCursor::End);
    QTextCursor start = end;
    start.movePosition(QTextCursor::StartOfBlock);
    EXPECT_EQ(end.block().text(), "Cheating, the Score won't be saved.");
    const QRect newest = f.Memo1->cursorRect(start).united(f.Memo1->cursorRect(end));
    EXPECT_TRUE(f.Memo1->viewport()->rect().contains(newest))
        << newest.top() << ".." << newest.bottom() << " in " << f.Memo1->viewport()->height();
}

// An error in the word search is shown once the landing is over (the next letter has entered),
// and no tick of either timer arrives while its box is open.
TEST_F(WordGame, WordSearchErrorWaitsForTheLandingAndHoldsTheTimers) {
    testing::FailingChime chime;
    testing::RecordingDialogs boxes;
    random.numbers = {kC, kA};
    TForm1 f(For(appDir, {.dialogs = &boxes, .sound = &chime}));
    f.settings.Speed = 20; // quick ticks, so any tick under the box shows
    f.Button1Click(f.Button1);
    boxes.messages.clear(); // the new record file's notice at start-up
    f.SetUpGame().PutLetter(2, 9, 'C');
    f.SetUpGame().PutLetter(3, 9, 'A');
    EnterT4(f);

    struct AtBox {
        bool dropCounting, clockCounting;
        TBlock block;
        int letters, lettersAfterEvents;
    };
    std::optional<AtBox> seen;
    boxes.whileShown = [&] {
        if (seen)
            return;
        seen = AtBox{Counting(*f.Timer1), Counting(*f.Timer2), f.game().Field().Block(),
                     f.game().GameRec().UsedLetters, 0};
        RunEventsFor(100);
        seen->lettersAfterEvents = f.game().GameRec().UsedLetters;
    };
    for (int i = 0; i < 100 && boxes.messages.empty(); ++i)
        RunEventsFor(10); // the drop timer's own tick lands the T

    ASSERT_EQ(boxes.messages, std::vector<std::string>{" The chime failed. "});
    ASSERT_TRUE(seen);
    EXPECT_FALSE(seen->dropCounting);
    EXPECT_FALSE(seen->clockCounting);
    EXPECT_EQ(seen->block.Letter, 'A') << "the next letter entered before the box";
    EXPECT_EQ(seen->block.Row, 0);
    EXPECT_EQ(seen->letters, 1);
    EXPECT_EQ(seen->lettersAfterEvents, 1) << "no tick under the box";
    EXPECT_EQ(f.game().Field().Chars()[4][9], 'T');
    EXPECT_NE(f.Image1->Image().pixel(4 * 40 + 20, 9 * 40 + 20), qRgb(0, 0, 0))
        << "grid and picture agree";
    EXPECT_TRUE(Counting(*f.Timer1)) << "the game goes on once the box is closed";
    EXPECT_TRUE(Counting(*f.Timer2));
}

} // namespace
} // namespace lexfall::testing
