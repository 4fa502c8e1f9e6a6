#include "FormFixture.h"

#include <QFile>
#include <QPlainTextEdit>

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

TEST_F(WordGame, BuildsARealWordAndSeesItClearedAndLogged) {
    constexpr int kC = 735, kA = 121, kT = 655, kE = 0;
    random.numbers = {kC, kA, kT, kE, kE};
    TForm1& f = Form();
    f.Button1Click(f.Button1);

    f.FormKeyDown(vk::Left, {}); // C to column 2
    f.FormKeyDown(vk::Down, {});
    f.Timer1Timer();
    f.FormKeyDown(vk::Space, {}); // A stays in column 3
    f.Timer1Timer();
    ASSERT_EQ(f.state.Chars[2][9], 'C');
    ASSERT_EQ(f.state.Chars[3][9], 'A');
    EXPECT_EQ(std::int32_t{f.state.GameRec.CompletedWords}, 0);

    f.FormKeyDown(vk::Right, {}); // T to column 4
    f.FormKeyDown(vk::Down, {});
    f.Timer1Timer();

    EXPECT_EQ(std::int32_t{f.state.GameRec.CompletedWords}, 1);
    EXPECT_EQ(f.Memo1->toPlainText(), "1:CAT");
    EXPECT_EQ(f.MyScore[3]->text(), "1");
    EXPECT_EQ(f.MyScore[6]->text(), "0.00") << "seconds per word while no second has passed";
    for (int col = 2; col <= 4; ++col) {
        EXPECT_EQ(f.state.Chars[col][9], 0);
        EXPECT_EQ(f.Image1->Image().pixel(col * 40 + 20, 380), qRgb(0, 0, 0));
    }
    EXPECT_EQ(sound.waves, std::vector<std::string>{"sound\\chimes.wav"});
    EXPECT_TRUE(f.Timer1->Enabled());
    EXPECT_TRUE(f.Timer2->Enabled());
    EXPECT_EQ(f.state.CurBlock.Letter, 'E');
}

// Letters stacked above a cleared word move one row down in the grid and in the picture.
TEST_F(WordGame, LettersAboveTheWordFallOneRow) {
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    // C A _ in row 9, an X on top of the A, then T lands in column 4.
    f.state.Chars[2][9] = 'C';
    f.state.Chars[3][9] = 'A';
    f.state.Chars[3][8] = 'X';
    QImage& board = f.Image1->Image();
    board.setPixel(125, 325, qRgb(10, 20, 30)); // a mark in the X's cell (3, 8)
    f.state.CurBlock = {4, 9, 'T'};
    f.state.Chars[4][9] = 'T';
    f.CheckWord(f.state.CurBlock);
    EXPECT_EQ(f.state.Chars[3][9], 'X');
    EXPECT_EQ(f.state.Chars[3][8], 0);
    EXPECT_EQ(f.state.Chars[2][9], 0);
    EXPECT_EQ(board.pixel(125, 365), qRgb(10, 20, 30));
    EXPECT_EQ(board.pixel(125, 325), qRgb(0, 0, 0));
    EXPECT_EQ(f.Memo1->toPlainText(), "1:CAT");
}

} // namespace
} // namespace lexfall::testing
