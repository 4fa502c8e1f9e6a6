// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace lexfall {

// Colour groups of the next-letter table.
enum class LetterGroup { Red, Green, Blue };

struct Rgb {
    std::uint8_t r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct NextLetter {
    std::uint8_t letter;
    LetterGroup group;
};

// The number range every pick is taken from: 0 to 999.
constexpr int kLetterRange = 1000;

// The letter of the next-letter table for r in 0..999.
NextLetter NextLetterFor(int r);
// The letter of the swap table for r in 0..999.
std::uint8_t SwapLetterFor(int r);
// The colour a group's letters are drawn in.
Rgb GroupColour(LetterGroup group);

} // namespace lexfall
