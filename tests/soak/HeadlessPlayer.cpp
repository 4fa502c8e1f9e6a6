#include "HeadlessPlayer.h"

#include "SoakPlayer.h"
#include "board/LetterTables.h"

#include <algorithm>

namespace lexfall::soak {

HeadlessPlayer::HeadlessPlayer(WordChecker& words, std::uint64_t seed)
    : words_(words), rng_(seed) {}

std::uint8_t HeadlessPlayer::NextLetter() {
    return NextLetterFor(Below(kLetterRange)).letter;
}

void HeadlessPlayer::PlayGame() {
    field_.NewGame();
    over_ = false;
    long letters = 0;
    const long patience = 20 + Below(200); // letters played well before the game is given up
    while (!over_) {
        field_.Enter(NextLetter());
        Check("enter");
        if (Chance(0.05)) {
            field_.Swap(SwapLetterFor(Below(kLetterRange)));
            ++stats_.swaps;
        }
        Slide(ChooseColumn(patience - letters));
        if (Chance(0.01)) {
            field_.ClearBoard();
            ++stats_.clears;
        }
        if (Chance(0.5))
            field_.DropToRest();
        while (field_.Drop())
            Check("drop");
        if (Chance(0.05)) { // a slide after the hard drop, before the tick that fixes it
            field_.Move(Chance(0.5) ? -1 : +1);
            while (field_.Drop()) {
            }
        }
        Land();
        ++letters;
    }
    ++stats_.games;
    stats_.letters += letters;
    stats_.longestGameLetters = std::max(stats_.longestGameLetters, letters);
}

int HeadlessPlayer::ChooseColumn(long patience) {
    const TBlock& block = field_.Block();
    if (patience <= 0)
        return block.Col;
    int best = -1;
    std::size_t bestLength = 0;
    int lowest = block.Col;
    int lowestRow = -1;
    for (int col = 0; col <= MaxCol; ++col) {
        PlayField trial = field_;
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
    while (field_.Block().Col != target)
        if (!field_.Move(target < field_.Block().Col ? -1 : +1))
            return;
    Check("slide");
}

void HeadlessPlayer::Land() {
    const Landing landing = field_.Land();
    if (landing.gameOver) {
        over_ = true;
        return;
    }
    if (const auto word = field_.FindWord(words_)) {
        if (word->StartCol > landing.cell.Col || word->EndCol < landing.cell.Col)
            throw SoakFailure("land: the word " + word->Word + " misses the landed letter");
        field_.TakeWord(*word);
        ++stats_.words;
    }
    Check("land");
}

// Every letter but the falling one rests on the bottom row or on another letter, and only
// upper-case letters are on the grid.
void HeadlessPlayer::Check(const char* what) const {
    const TChars& chars = field_.Chars();
    const TBlock& block = field_.Block();
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
