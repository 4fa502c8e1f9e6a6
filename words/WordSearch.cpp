// SPDX-License-Identifier: GPL-3.0-or-later
#include "words/WordSearch.h"

#include <algorithm>

namespace lexfall {

std::optional<FoundWord> FindWord(const TChars& chars, const TBlock& block, WordChecker& checker) {
    const int row = block.Row;
    const int col = block.Col;
    if (col < 0 || col > MaxCol || row < 0 || row > MaxRow || chars[col][row] == 0)
        return std::nullopt;

    int left = col;
    int right = col;
    while (right < MaxCol && chars[right + 1][row] != 0)
        ++right;
    while (left > 0 && chars[left - 1][row] != 0)
        --left;

    std::string run;
    for (int c = left; c <= right; ++c)
        run += static_cast<char>(chars[c][row]);

    const int n = right - left + 1;
    // Piece length runs from the whole run down to MinWordLen; starts from the left.
    for (int length = n; length >= MinWordLen; --length) {
        for (int start = 0; start + length <= n; ++start) {
            std::string piece =
                run.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
            if (checker.CheckKey(piece))
                return FoundWord{left + start, left + start + length - 1, std::move(piece)};
        }
    }
    return std::nullopt;
}

void ClearWordCells(TChars& chars, int row, int startCol, int endCol) {
    if (row < 0 || row > MaxRow)
        return;
    startCol = std::max(startCol, 0);
    endCol = std::min(endCol, MaxCol);
    for (int c = startCol; c <= endCol; ++c) {
        auto& column = chars[c];
        column[row] = 0;
        // Row 0 never holds a resting letter during a game, so it is left where it is.
        for (int r = row - 1; r >= 1; --r) {
            if (column[r] != 0) {
                column[r + 1] = column[r];
                column[r] = 0;
            }
        }
    }
}

} // namespace lexfall
