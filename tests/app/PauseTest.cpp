// SPDX-License-Identifier: GPL-3.0-or-later
// The pause: P and Pause hold the game under "Paused" until pressed again; minimising holds it
// too, and a held game's clock does not count.
#include "support/Events.h"
#include "support/FormFixture.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QKeyEvent>

namespace lexfall::testing {
namespace {

class Pause : public FormTest {
protected:
    void PrepareAppDir(const QString&) override { dir.Put("Dict.dll", kWordlessDict); }

    // A running game at 50 ms a row, so a held one shows within a short wait.
    TForm1& Running() {
        dir.Put("Lexfall.ini", "[Options]\r\nSpeed=50\r\n");
        TForm1& f = Form();
        f.show();
        f.Button1Click(f.Button1);
        return f;
    }

    // As the window system delivers a key: the preview sees it before any control.
    static void Press(TForm1& f, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&f, &press);
    }
};

class PauseKeys : public Pause, public ::testing::WithParamInterface<int> {};

TEST_P(PauseKeys, HoldsBothTimersUntilPressedAgain) {
    TForm1& f = Running();
    Press(f, GetParam());
    ASSERT_TRUE(f.game().Covered());
    ASSERT_NE(f.LabelPaused, nullptr);
    EXPECT_TRUE(f.LabelPaused->isVisible());
    EXPECT_EQ(f.LabelPaused->text(), "Paused");
    EXPECT_EQ(f.LabelPaused->geometry(), f.Image1->geometry());
    const TBlock block = f.game().Field().Block();
    const std::int32_t letters = f.game().GameRec().UsedLetters;
    Press(f, Qt::Key_Left); // game keys do nothing under the cover
    RunEventsFor(1200);
    EXPECT_EQ(f.game().Field().Block().Row, block.Row);
    EXPECT_EQ(f.game().Field().Block().Col, block.Col);
    EXPECT_EQ(std::int32_t{f.game().GameRec().UsedTime}, 0) << "no second counted while held";
    SaveScreenshot(f, "paused-board.png");

    Press(f, GetParam());
    EXPECT_FALSE(f.game().Covered());
    EXPECT_FALSE(f.LabelPaused->isVisible());
    EXPECT_TRUE(Counting(*f.Timer2)) << "the clock runs again";
    RunEventsFor(300);
    EXPECT_TRUE(f.game().Field().Block().Row != block.Row ||
                f.game().GameRec().UsedLetters != letters)
        << "letters fall again";
}

INSTANTIATE_TEST_SUITE_P(Pause, PauseKeys, ::testing::Values(Qt::Key_P, Qt::Key_Pause),
                         [](const ::testing::TestParamInfo<int>& test) {
                             return test.param == Qt::Key_P ? "P" : "PauseKey";
                         });

// Minimising holds the game; restoring leaves it held until a pause key.
TEST_F(Pause, MinimisingHoldsAndRestoringDoesNotResume) {
    TForm1& f = Running();
    f.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(f.game().Covered());
    f.setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(f.game().Covered());
    EXPECT_FALSE(f.Timer1->Enabled());
    EXPECT_FALSE(f.Timer2->Enabled());
    Press(f, Qt::Key_P);
    EXPECT_FALSE(f.game().Covered());
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_TRUE(f.Timer2->Enabled());
}

// Without a game the keys and minimising hold nothing.
TEST_F(Pause, NothingToHoldWithoutAGame) {
    TForm1& f = Form();
    f.show();
    Press(f, Qt::Key_P);
    f.setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(f.game().Covered());
    f.setWindowState(Qt::WindowNoState);
    f.Button1Click(f.Button1);
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_TRUE(f.Timer2->Enabled());
}

} // namespace
} // namespace lexfall::testing
