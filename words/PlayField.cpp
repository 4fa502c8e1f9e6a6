// SPDX-License-Identifier: GPL-3.0-or-later
#include "words/PlayField.h"

namespace lexfall {

void PlayField::NewGame() {
    InitChars(chars_);
}

void PlayField::Enter(std::uint8_t letter) {
    block_ = {EntryCol, 0, letter};
}

bool PlayField::Drop() {
    return BlockDrop(chars_, block_);
}

void PlayField::DropToRest() {
    while (BlockDrop(chars_, block_)) {
    }
}

bool PlayField::Move(int step) {
    return BlockMove(chars_, block_, step);
}

void PlayField::Swap(std::uint8_t letter) {
    block_.Letter = letter;
    chars_[block_.Col][block_.Row] = letter;
}

void PlayField::ClearBoard() {
    InitChars(chars_);
    chars_[block_.Col][block_.Row] = block_.Letter;
}

Landing PlayField::Land() const {
    return {block_, block_.Row == 0};
}

std::optional<FoundWord> PlayField::FindWord(WordChecker& checker) const {
    return lexfall::FindWord(chars_, block_, checker);
}

void PlayField::TakeWord(const FoundWord& word) {
    ClearWordCells(chars_, block_.Row, word.StartCol, word.EndCol);
}

void PlayField::Put(int col, int row, std::uint8_t letter) {
    chars_[col][row] = letter;
}

} // namespace lexfall
