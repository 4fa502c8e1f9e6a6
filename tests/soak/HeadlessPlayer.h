// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays whole games through the game object alone, without a window: letters drawn as the game
// draws them, a column that makes a word preferred, swaps, slides and clears at random. Checks
// the grid after every step, so a rule fault shows without a window's painting in the way.
#include "game/Game.h"
#include "words/WordChecker.h"

#include <cstdint>
#include <random>
#include <string>

namespace lexfall::soak {

struct HeadlessStats {
    long games = 0;
    long letters = 0;
    long words = 0;
    long clears = 0;
    long swaps = 0;
    long longestGameLetters = 0;
};

class HeadlessPlayer {
public:
    HeadlessPlayer(WordChecker& words, std::uint64_t seed);

    // From a new game to its end. Throws SoakFailure when an invariant breaks.
    void PlayGame();
    const HeadlessStats& Stats() const { return stats_; }

private:
    std::uint8_t NextLetter();
    int ChooseColumn(long patience);
    void Slide(int target);
    void Land();
    void Check(const char* what) const;
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    WordChecker& words_;
    std::mt19937_64 rng_;
    Game game_;
    HeadlessStats stats_;
};

} // namespace lexfall::soak
