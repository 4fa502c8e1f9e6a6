// SPDX-License-Identifier: GPL-3.0-or-later
#include "HeadlessPlayer.h"

#include "SoakPlayer.h"
#include "board/LetterTables.h"

#include <algorithm>

namespace lexfall::soak {

HeadlessPlayer::HeadlessPlayer(WordChecker& words, std::uint64_t seed)
    : words_(words), rng_(seed) {
    game_.Preview(NextLetter());
}

std::uint8_t HeadlessPlayer::NextLetter() {
    return NextLetterFor(Below(kLetterRange)).letter;
}

void HeadlessPlayer::PlayGame() {
    game_.Start(0.0);
    long letters = 0;
    const long patience = 20 + Below(200); // letters played well before the game is given up
    while (game_.Running()) {
        game_.Enter(NextLetter());
        Check("enter");
        if (Chance(0.05)) {
            game_.Swap(SwapLetterFor(Below(kLetterRange)));
            ++stats_.swaps;
        }
        Slide(ChooseColumn(patience - letters));
        if (Chance(0.01)) {
            game_.ClearBoard();
            ++stats_.clears;
        }
        if (Chance(0.5))
            game_.DropToRest();
        while (game_.Drop())
            Check("drop");
        if (Chance(0.05)) { // a slide after the hard drop, before the tick that fixes it
            game_.Move(Chance(0.5) ? -1 : +1);
            while (game_.Drop()) {
            }
        }
        Land();
        ++letters;
    }
    if (game_.GameRec().UsedLetters != letters)
        throw SoakFailure("the game counted " + std::to_string(game_.GameRec().UsedLetters) +
                          " letters of " + std::to_string(letters));
    ++stats_.games;
    stats_.letters += letters;
    stats_.longestGameLetters = std::max(stats_.longestGameLetters, letters);
}

int HeadlessPlayer::ChooseColumn(long patience) {
    const TBlock& block = game_.Field().Block();
    if (patience <= 0)
        return block.Col;
    int best = -1;
    std::size_t bestLength = 0;
    int lowest = block.Col;
    int lowestRow = -1;
    for (int col = 0; col <= MaxCol; ++col) {
        PlayField trial = game_.Field();
        const int step = col < block.Col ? -1 : +1;
        bool reachable = true;
        while (reachable && trial.Block().Col != col)
            reachable = trial.Move(step);
        trial.DropToRest();
        const int row = trial.Block().Row;
        if (!reachable || row == 0)
            continue;
        if (row > lowestRow) {
            lowest = col;
            lowestRow = row;
        }
        if (const auto word = trial.FindWord(words_); word && word->Word.size() > bestLength) {
            best = col;
            bestLength = word->Word.size();
        }
    }
    return best >= 0 ? best : lowest;
}

void HeadlessPlayer::Slide(int target) {
    while (game_.Field().Block().Col != target)
        if (!game_.Move(target < game_.Field().Block().Col ? -1 : +1))
            return;
    Check("slide");
}

void HeadlessPlayer::Land() {
    const TurnOutcome turn = game_.Land(words_);
    if (turn.searchFailure)
        std::rethrow_exception(turn.searchFailure);
    if (turn.landing.gameOver)
        return;
    if (turn.word) {
        const Landing& landing = turn.landing;
        if (turn.word->StartCol > landing.cell.Col || turn.word->EndCol < landing.cell.Col)
            throw SoakFailure("land: the word " + turn.word->Word + " misses the landed letter");
        game_.TakeWord(*turn.word);
        ++stats_.words;
    }
    Check("land");
}

// Every letter but the falling one rests on the bottom row or on another letter, and only
// upper-case letters are on the grid.
void HeadlessPlayer::Check(const char* what) const {
    const TChars& chars = game_.Field().Chars();
    const TBlock& block = game_.Field().Block();
    for (int col = 0; col <= MaxCol; ++col)
        for (int row = 0; row <= MaxRow; ++row) {
            const std::uint8_t cell = chars[col][row];
            if (cell == 0 || (col == block.Col && row == block.Row))
                continue;
            const std::string where =
                std::string(what) + ": cell " + std::to_string(col) + "," + std::to_string(row);
            if (cell < 'A' || cell > 'Z')
                throw SoakFailure(where + " holds a byte that is no letter");
            if (row < MaxRow && chars[col][row + 1] == 0)
                throw SoakFailure(where + " floats above an empty cell");
        }
}

} // namespace lexfall::soak
