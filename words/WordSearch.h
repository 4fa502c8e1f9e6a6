// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "board/Board.h"
#include "words/WordChecker.h"

#include <optional>
#include <string>

namespace lexfall {

// A word found in a row: board columns StartCol to EndCol hold Word.
struct FoundWord {
    int StartCol = 0;
    int EndCol = 0;
    std::string Word;
    friend bool operator==(const FoundWord&, const FoundWord&) = default;
};

// Searches the row of the landed letter (only block.Col and block.Row are used; the letter is
// read from the grid). The unbroken run around it is tried whole, then its pieces longest
// first and leftmost first, down to MinWordLen letters; the first word the checker knows is
// returned. A run of n letters costs at most 1 + (n - 3) * n / 2 lookups.
std::optional<FoundWord> FindWord(const TChars& chars, const TBlock& block, WordChecker& checker);

// Takes a cleared word off the grid: its cells in `row` from startCol to endCol are emptied
// and every letter above them moves down one row, gaps included. Row 0 is not moved.
void ClearWordCells(TChars& chars, int row, int startCol, int endCol);

} // namespace lexfall
