// SPDX-License-Identifier: GPL-3.0-or-later
#include "words/PlayField.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace lexfall {
namespace {

class KnownWords final : public WordChecker {
public:
    explicit KnownWords(std::set<std::string> words) : words_(std::move(words)) {}
    bool CheckKey(const std::string& word) override { return words_.count(word) != 0; }

private:
    std::set<std::string> words_;
};

// Writes text into a row from column `col`.
void PutRow(PlayField& field, int row, int col, const std::string& text) {
    for (char letter : text)
        field.Put(col++, row, static_cast<std::uint8_t>(letter));
}

TEST(PlayFieldTurn, EnteringLetterTakesTheEntryCellWithoutWritingIt) {
    PlayField field;
    field.Enter('S');
    EXPECT_EQ(field.Block().Col, EntryCol);
    EXPECT_EQ(field.Block().Row, 0);
    EXPECT_EQ(field.Block().Letter, 'S');
    EXPECT_EQ(field.Chars()[EntryCol][0], 0);
}

// Each case: a cell taken before the moves, the moves, where the letter ends.
TEST(PlayFieldTurn, MovesAndDrops) {
    struct Case {
        const char* name;
        int takenCol, takenRow; // -1: none
        const char* moves;      // L, R: sideways; D: one row; H: to rest
        int col, row;
    };
    const Case cases[] = {
        {"falls to the bottom", -1, -1, "H", 3, 9},
        {"rests on a letter", 3, 9, "H", 3, 8},
        {"one row", -1, -1, "D", 3, 1},
        {"stops at the left edge", -1, -1, "LLLLL", 0, 0},
        {"stops at the right edge", -1, -1, "RRRRRR", 7, 0},
        {"a neighbour blocks", 4, 0, "R", 3, 0},
        {"sideways in row 0 keeps falling", 3, 1, "LD", 2, 1},
        {"passes over a full column below", 4, 1, "RH", 4, 0},
        {"slides off a resting place and falls on", 4, 9, "RHLH", 3, 9},
    };
    for (const Case& c : cases) {
        PlayField field;
        if (c.takenCol >= 0)
            field.Put(c.takenCol, c.takenRow, 'X');
        field.Enter('A');
        for (const char* m = c.moves; *m != 0; ++m) {
            if (*m == 'L')
                field.Move(-1);
            else if (*m == 'R')
                field.Move(+1);
            else if (*m == 'D')
                field.Drop();
            else
                field.DropToRest();
        }
        EXPECT_EQ(field.Block().Col, c.col) << c.name;
        EXPECT_EQ(field.Block().Row, c.row) << c.name;
        if (c.row != 0) {
            EXPECT_EQ(field.Chars()[c.col][c.row], 'A') << c.name;
        }
    }
}

TEST(PlayFieldTurn, DropAndMoveSayWhetherTheLetterMoved) {
    PlayField field;
    field.Put(3, 1, 'E');
    field.Put(2, 0, 'X');
    field.Enter('A');
    EXPECT_FALSE(field.Drop());
    EXPECT_FALSE(field.Move(-1));
    EXPECT_TRUE(field.Move(+1));
    EXPECT_TRUE(field.Drop());
}

// A letter resting in row 0 ends the game and is never fixed; anywhere else it stays.
TEST(PlayFieldTurn, LandingInRowZeroEndsTheGame) {
    PlayField field;
    field.Put(3, 1, 'E');
    field.Enter('A');
    field.DropToRest();
    const Landing top = field.Land();
    EXPECT_TRUE(top.gameOver);
    EXPECT_EQ(top.cell.Row, 0);
    EXPECT_EQ(field.Chars()[3][0], 0);

    field.Move(-1);
    field.DropToRest();
    const Landing low = field.Land();
    EXPECT_FALSE(low.gameOver);
    EXPECT_EQ(low.cell.Col, 2);
    EXPECT_EQ(low.cell.Row, 9);
    EXPECT_EQ(low.cell.Letter, 'A');
    EXPECT_EQ(field.Chars()[2][9], 'A');
}

TEST(PlayFieldTurn, SwapChangesTheLetterInItsCell) {
    PlayField field;
    field.Enter('T');
    field.DropToRest();
    field.Swap('E');
    EXPECT_EQ(field.Block().Letter, 'E');
    EXPECT_EQ(field.Chars()[3][9], 'E');
    EXPECT_EQ(field.Land().cell.Letter, 'E');
}

// The clear key empties the grid but the falling letter keeps its cell; a new game empties all.
TEST(PlayFieldTurn, ClearBoardKeepsTheFallingLetterAndNewGameEmptiesAll) {
    PlayField field;
    PutRow(field, 9, 0, "CAT");
    field.Enter('E');
    field.Drop();
    field.ClearBoard();
    TChars expected{};
    expected[3][1] = 'E';
    EXPECT_EQ(field.Chars(), expected);
    field.NewGame();
    EXPECT_EQ(field.Chars(), TChars{});
}

// The landed letter's row is searched; taking the word lets the letters above fall one row.
TEST(PlayFieldTurn, FoundWordIsTakenOffAndTheLettersAboveFall) {
    KnownWords words({"CAT"});
    PlayField field;
    PutRow(field, 9, 2, "CA");
    field.Put(3, 8, 'X');
    field.Enter('T');
    field.Move(+1);
    field.DropToRest();
    const auto found = field.FindWord(words);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, (FoundWord{2, 4, "CAT"}));
    EXPECT_EQ(field.Chars()[4][9], 'T') << "finding alone leaves the grid";
    field.TakeWord(*found);
    TChars expected{};
    expected[3][9] = 'X';
    EXPECT_EQ(field.Chars(), expected);
}

TEST(PlayFieldTurn, NoWordLeavesTheRow) {
    KnownWords words({"DOG"});
    PlayField field;
    PutRow(field, 9, 2, "CA");
    field.Enter('T');
    field.Move(+1);
    field.DropToRest();
    EXPECT_FALSE(field.FindWord(words));
}

} // namespace
} // namespace lexfall
