// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/Board.h"

namespace lexfall {

void InitChars(TChars& chars) {
    for (auto& column : chars)
        column.fill(0);
}

bool BlockDrop(TChars& chars, TBlock& block) {
    if (block.Row >= MaxRow)
        return false;
    if (chars[block.Col][block.Row + 1] != 0)
        return false;
    chars[block.Col][block.Row] = 0;
    ++block.Row;
    chars[block.Col][block.Row] = block.Letter;
    return true;
}

bool BlockMove(TChars& chars, TBlock& block, int step) {
    const int column = block.Col + step;
    if (column > MaxCol || column < 0)
        return false;
    if (chars[column][block.Row] != 0)
        return false;
    chars[block.Col][block.Row] = 0;
    block.Col = column;
    chars[block.Col][block.Row] = block.Letter;
    return true;
}

} // namespace lexfall
