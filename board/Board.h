// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>

namespace lexfall {

// Board constants: a cell's side in pixels, the highest column and row, the shortest word.
constexpr int BlockSize = 40;
constexpr int MaxCol = 7;
constexpr int MaxRow = 9;
constexpr int MinWordLen = 3;

// The entry cell of every new letter.
constexpr int EntryCol = 3;

// The grid, indexed by column then row; 0 is an empty cell, otherwise an upper-case letter.
using TChars = std::array<std::array<std::uint8_t, MaxRow + 1>, MaxCol + 1>;

// The falling letter.
struct TBlock {
    std::int32_t Col = 0;
    std::int32_t Row = 0;
    std::uint8_t Letter = 0;
};

// Empties every cell.
void InitChars(TChars& chars);

// One row down. True if the letter moved; false on the bottom row or above an occupied cell.
bool BlockDrop(TChars& chars, TBlock& block);

// One column sideways (step -1 or +1). Only the neighbour in the letter's own row is tested,
// so a letter may pass over a column that is full below it. True if the letter moved.
bool BlockMove(TChars& chars, TBlock& block, int step);

} // namespace lexfall
