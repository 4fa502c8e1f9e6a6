// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "board/Board.h"
#include "words/WordChecker.h"
#include "words/WordSearch.h"

#include <cstdint>
#include <optional>

namespace lexfall {

// Where a letter came to rest; a letter that rests in row 0 ends the game and is not fixed.
struct Landing {
    TBlock cell;
    bool gameOver = false;
};

// One game's grid and falling letter with the rules of a turn. Every step says what happened,
// so a window only paints it and a headless player only reads it.
class PlayField {
public:
    const TChars& Chars() const { return chars_; }
    const TBlock& Block() const { return block_; }

    // Empties the grid for a new game.
    void NewGame();
    // The letter enters at the entry cell; its cell is written only once it moves or swaps.
    void Enter(std::uint8_t letter);
    // One row down; false when the letter rests.
    bool Drop();
    // Down until it rests; it is fixed only by the next tick, so it can still slide sideways.
    void DropToRest();
    // One column sideways (step -1 or +1); false when blocked or at the edge.
    bool Move(int step);
    // The falling letter becomes `letter`, in its cell as well.
    void Swap(std::uint8_t letter);
    // Empties the grid; the falling letter keeps its cell, so grid and picture agree when it
    // lands.
    void ClearBoard();
    // The letter has come to rest: where, and whether that ends the game.
    Landing Land() const;
    // Searches the landed letter's row for a word the checker knows.
    std::optional<FoundWord> FindWord(WordChecker& checker) const;
    // Takes a found word off the landed letter's row; the letters above move down one row.
    void TakeWord(const FoundWord& word);
    // Puts a letter in a cell, for a board set up to play from.
    void Put(int col, int row, std::uint8_t letter);

private:
    TChars chars_{};
    TBlock block_{};
};

} // namespace lexfall
