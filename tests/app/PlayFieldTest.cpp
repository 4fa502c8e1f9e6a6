// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FormFixture.h"

#include "app/FormStyle.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace lexfall::testing {
namespace {

constexpr QRgb kBlackPixel = 0xff000000;

class PlayField : public FormTest {};

// Start lets the previewed letter enter at (3, 0) and previews the following one.
TEST_F(PlayField, StartBringsInThePreviewedLetter) {
    random.numbers = {kS, kT};
    TForm1& f = Form();
    EXPECT_EQ(f.game().NextChar(), 'S');
    f.Button1Click(f.Button1);
    EXPECT_EQ(f.game().Field().Block().Letter, 'S');
    EXPECT_EQ(f.game().Field().Block().Col, 3);
    EXPECT_EQ(f.game().Field().Block().Row, 0);
    EXPECT_EQ(f.game().NextChar(), 'T');
    EXPECT_EQ(f.Image3->pos(), QPoint(128, 8));
    EXPECT_FALSE(f.Image3->Transparent());
    EXPECT_FALSE(style::OwnEnabled(f.Button1));
    EXPECT_FALSE(style::OwnEnabled(f.Records().Button8));
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_TRUE(f.Timer2->Enabled());
    EXPECT_EQ(f.Timer1->Interval(), 750);
    EXPECT_EQ(f.game().Field().Chars()[3][0], 0) << "the entry cell is not written";
}

// A landed letter is fixed: grid, picture (the sprite's tile copied) and the letter count.
TEST_F(PlayField, LandingFixesTheTileAndBringsTheNextLetter) {
    random.numbers = {kA, kB, kC};
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    const QImage sprite = f.Image3->Image().copy();
    TickUntilLanded();
    EXPECT_EQ(f.game().Field().Chars()[3][9], 'A');
    EXPECT_EQ(std::int32_t{f.game().GameRec().UsedLetters}, 1);
    EXPECT_EQ(f.Records().MyScore[FigureRow::Letters]->text(), "1");
    EXPECT_EQ(f.Image1->Image().copy(120, 360, 40, 40), sprite);
    EXPECT_EQ(f.game().Field().Block().Letter, 'B');
    EXPECT_EQ(f.game().Field().Block().Row, 0);
    EXPECT_TRUE(f.Timer1->Enabled());
}

// A hard drop goes to the bottom at once but is fixed only by the next tick; a sideways move
// before that tick lets the letter fall further.
TEST_F(PlayField, HardDropThenSidewaysMove) {
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    f.SetUpGame().PutLetter(4, 9, 'X');
    f.FormKeyDown(vk::Right, {});
    f.FormKeyDown(vk::Space, {});
    EXPECT_EQ(f.game().Field().Block().Row, 8);
    EXPECT_EQ(std::int32_t{f.game().GameRec().UsedLetters}, 0) << "not fixed before the tick";
    EXPECT_EQ(f.Image3->pos(), QPoint(8 + 160, 8 + 320));
    f.FormKeyDown(vk::Numpad9, {});
    f.Timer1Timer();
    EXPECT_EQ(f.game().Field().Block().Col, 5);
    EXPECT_EQ(f.game().Field().Block().Row, 9);
    EXPECT_EQ(std::int32_t{f.game().GameRec().UsedLetters}, 0);
    f.Timer1Timer();
    EXPECT_EQ(std::int32_t{f.game().GameRec().UsedLetters}, 1);
}

// With (3, 1) taken the first tick stops the letter in row 0: the game ends and counts it.
TEST_F(PlayField, BlockedEntryEndsTheGame) {
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    f.SetUpGame().PutLetter(3, 1, 'E');
    f.Timer1Timer();
    EXPECT_EQ(std::int32_t{f.game().GameRec().UsedLetters}, 1);
    EXPECT_FALSE(f.Timer1->Enabled());
    EXPECT_FALSE(f.Timer2->Enabled());
    EXPECT_TRUE(style::OwnEnabled(f.Button1));
    EXPECT_TRUE(f.Records().PanelRecord->isVisible() || !f.Records().PanelRecord->isHidden());
    EXPECT_TRUE(f.PanelGame->isHidden());
    EXPECT_EQ(BoardPixel(140, 20), kBlackPixel) << "the letter of row 0 is never painted";
}

TEST_F(PlayField, SidewaysInRowZeroOverAFreeCellKeepsFalling) {
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    f.SetUpGame().PutLetter(3, 1, 'E');
    f.FormKeyDown(vk::Left, {});
    f.Timer1Timer();
    EXPECT_EQ(f.Image3->pos(), QPoint(8 + 80, 8 + 40)) << "the sprite follows into row 1";
    EXPECT_FALSE(style::OwnEnabled(f.Button1));
}

// The swap draws the new letter in red on the sprite; the next tick fixes the new letter.
TEST_F(PlayField, SwapOnARestingLetterIsFixedWithItsNewLetter) {
    random.numbers = {kT, kA, kA, 0 /* swap: E */};
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    f.FormKeyDown(vk::Down, {});
    f.FormKeyDown(vk::Up, {});
    EXPECT_EQ(f.game().Field().Block().Letter, 'E');
    EXPECT_EQ(f.game().Field().Chars()[3][9], 'E');
    const QImage sprite = f.Image3->Image();
    bool red = false;
    for (int y = 3; y < 37; ++y)
        for (int x = 3; x < 37; ++x)
            red = red || sprite.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_TRUE(red) << "a swapped letter is drawn in red";
    EXPECT_EQ(sprite.pixel(1, 20), qRgb(255, 215, 0)) << "the frame stays";
    EXPECT_EQ(sprite.pixel(20, 38), qRgb(255, 215, 0));
    EXPECT_EQ(f.game().NextChar(), 'A') << "the preview is not touched";
    f.Timer1Timer();
    EXPECT_EQ(f.game().Field().Chars()[3][9], 'E');
    EXPECT_EQ(f.Image1->Image().copy(120, 360, 40, 40), sprite);
}

// Shift+Delete clears board and grid, logs the line and sets Cheated; the game goes on.
TEST_F(PlayField, ClearKeyAndItsShiftStates) {
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    TickUntilLanded();
    f.FormKeyDown(vk::Delete, {});
    f.FormKeyDown(vk::Delete, {true, true, false});
    EXPECT_EQ(f.game().Field().Chars()[3][9], 'E');
    EXPECT_FALSE(f.game().Cheated());

    f.FormKeyDown(vk::Delete, {true, false, false});
    EXPECT_TRUE(f.game().Cheated());
    EXPECT_EQ(f.game().Field().Chars()[3][9], 0);
    EXPECT_EQ(BoardPixel(140, 380), kBlackPixel);
    EXPECT_EQ(f.Memo1->toPlainText(), "Cheating, the Score won't be saved.");
    EXPECT_EQ(sound.waves, std::vector<std::string>{"sound\\chimes.wav"});
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_FALSE(style::OwnEnabled(f.Button1));
}

TEST_F(PlayField, KeysDoNothingWithoutAGame) {
    TForm1& f = Form();
    const TBlock before = f.game().Field().Block();
    for (int key : {vk::Left, vk::Right, vk::Down, vk::Up, vk::Space})
        f.FormKeyDown(key, {});
    f.FormKeyDown(vk::Delete, {true, false, false});
    EXPECT_EQ(f.game().Field().Block().Col, before.Col);
    EXPECT_EQ(f.game().Field().Block().Row, before.Row);
    EXPECT_FALSE(f.game().Cheated());
    EXPECT_TRUE(f.Memo1->toPlainText().isEmpty());
}

// Start after a game over empties grid and board, resets the figures, and the first letter
// is the one the preview showed.
TEST_F(PlayField, StartAfterGameOver) {
    random.numbers = {kA, kB, kC};
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    TickUntilLanded();
    f.SetUpGame().PutLetter(3, 1, 'E');
    f.Timer1Timer();
    ASSERT_TRUE(style::OwnEnabled(f.Button1));
    const std::uint8_t previewed = f.game().NextChar();
    f.Button1Click(f.Button1);
    EXPECT_EQ(f.game().Field().Block().Letter, previewed);
    EXPECT_EQ(f.game().Field().Chars()[3][9], 0);
    EXPECT_EQ(f.game().Field().Chars()[3][1], 0);
    EXPECT_EQ(BoardPixel(140, 380), kBlackPixel);
    EXPECT_EQ(std::int32_t{f.game().GameRec().UsedLetters}, 0);
    EXPECT_EQ(f.Records().MyScore[FigureRow::Letters]->text(), "0");
}

// The key handler sees keys that go to a focused control and leaves them to that control.
TEST_F(PlayField, KeyPreviewSeesKeysOfFocusedControlsWithoutConsumingThem) {
    TForm1& f = Form();
    f.show();
    f.Button1Click(f.Button1);
    f.Button2Click(f.Button2);
    f.Button6Click(f.Records().Button6);
    f.Options().EditPort->setFocus();
    QApplication::setActiveWindow(&f);
    f.Options().EditPort->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), f.Options().EditPort);
    f.Options().EditPort->setText("80");
    f.Options().EditPort->setCursorPosition(2);
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(f.Options().EditPort, &left);
    EXPECT_EQ(f.game().Field().Block().Col, 2) << "the game saw the key";
    EXPECT_EQ(f.Options().EditPort->cursorPosition(), 1) << "the control handled it as well";
    QKeyEvent pad9(QEvent::KeyPress, Qt::Key_9, Qt::KeypadModifier, "9");
    QApplication::sendEvent(f.Options().EditPort, &pad9);
    EXPECT_EQ(f.game().Field().Block().Col, 3);
}

// Changing pages never pauses a game.
TEST_F(PlayField, RecordsPageDuringAGameKeepsItRunning) {
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    f.Button2Click(f.Button2);
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_TRUE(f.Timer2->Enabled());
    f.Timer1Timer();
    EXPECT_EQ(f.game().Field().Block().Row, 1);
    f.FormKeyDown(vk::Left, {});
    EXPECT_EQ(f.game().Field().Block().Col, 2);
}

} // namespace
} // namespace lexfall::testing
