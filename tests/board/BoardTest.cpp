// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/Board.h"
#include "board/GameKeys.h"

#include <gtest/gtest.h>

namespace lexfall {
namespace {

TChars EmptyBoard() {
    TChars chars{};
    InitChars(chars);
    return chars;
}

// The falling letter writes its cell as it moves, and only the cell it stands in.
TEST(BlockDrop, MovesOneRowAndCarriesTheLetterInTheGrid) {
    TChars chars = EmptyBoard();
    TBlock block{3, 0, 'Q'};
    ASSERT_TRUE(BlockDrop(chars, block));
    EXPECT_EQ(block.Row, 1);
    EXPECT_EQ(chars[3][0], 0);
    EXPECT_EQ(chars[3][1], 'Q');
}

TEST(BlockDrop, StopsOnTheBottomRowAndOnALetter) {
    TChars chars = EmptyBoard();
    TBlock bottom{0, MaxRow, 'A'};
    chars[0][MaxRow] = 'A';
    EXPECT_FALSE(BlockDrop(chars, bottom));
    EXPECT_EQ(bottom.Row, MaxRow);

    TBlock above{0, MaxRow - 1, 'B'};
    chars[0][MaxRow - 1] = 'B';
    EXPECT_FALSE(BlockDrop(chars, above));
    EXPECT_EQ(chars[0][MaxRow - 1], 'B');
}

// Walls and the neighbour in the letter's own row block a move; cells below it do not.
TEST(BlockMove, WallsAndNeighbours) {
    struct Case {
        const char* name;
        int col, row, step;
        int occupiedCol, occupiedRow; // -1: none
        bool moves;
    };
    const Case cases[] = {
        {"left wall", 0, 4, -1, -1, -1, false},
        {"right wall", MaxCol, 4, +1, -1, -1, false},
        {"free left", 3, 4, -1, -1, -1, true},
        {"free right", 3, 4, +1, -1, -1, true},
        {"neighbour in own row", 3, 4, +1, 4, 4, false},
        {"neighbour only below", 3, 4, +1, 4, 5, true},
        {"full column below passes", 3, 0, -1, 2, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TChars chars = EmptyBoard();
        if (c.occupiedCol >= 0)
            chars[c.occupiedCol][c.occupiedRow] = 'Z';
        TBlock block{c.col, c.row, 'K'};
        chars[c.col][c.row] = 'K';
        EXPECT_EQ(BlockMove(chars, block, c.step), c.moves);
        const int expectedCol = c.moves ? c.col + c.step : c.col;
        EXPECT_EQ(block.Col, expectedCol);
        EXPECT_EQ(chars[expectedCol][c.row], 'K');
        if (c.moves) {
            EXPECT_EQ(chars[c.col][c.row], 0);
        }
    }
}

TEST(BlockMove, PassesOverAColumnFullUpToTheRowBelow) {
    TChars chars = EmptyBoard();
    for (int row = 1; row <= MaxRow; ++row)
        chars[4][row] = 'E';
    TBlock block{3, 0, 'T'};
    EXPECT_TRUE(BlockMove(chars, block, +1));
    EXPECT_TRUE(BlockMove(chars, block, +1));
    EXPECT_EQ(block.Col, 5);
    EXPECT_TRUE(BlockDrop(chars, block));
}

TEST(ActionForKey, GroupsAndShiftStates) {
    struct Case {
        int key;
        ShiftState shift;
        KeyAction action;
    };
    const ShiftState none{};
    const ShiftState shift{true, false, false};
    const Case cases[] = {
        {vk::Down, none, KeyAction::HardDrop},
        {vk::Space, none, KeyAction::HardDrop},
        {vk::Numpad8, none, KeyAction::HardDrop},
        {vk::Left, none, KeyAction::MoveLeft},
        {vk::Numpad7, none, KeyAction::MoveLeft},
        {vk::Right, none, KeyAction::MoveRight},
        {vk::Numpad9, none, KeyAction::MoveRight},
        {vk::Up, none, KeyAction::Swap},
        {vk::Delete, shift, KeyAction::ClearBoard},
        {vk::Delete, none, KeyAction::None},
        {vk::Delete, {true, true, false}, KeyAction::None},
        {vk::Delete, {true, false, true}, KeyAction::None},
        {vk::Delete, {false, true, false}, KeyAction::None},
        {'A', none, KeyAction::None},
        {vk::Left, shift, KeyAction::MoveLeft},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ActionForKey(c.key, c.shift), c.action);
    }
}

} // namespace
} // namespace lexfall
