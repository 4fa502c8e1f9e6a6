// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/LetterTables.h"

#include <array>
#include <utility>

namespace lexfall {
namespace {

// Each entry: the last r of the letter's range (inclusive), and the letter.
using Range = std::pair<int, char>;

constexpr std::array<Range, 26> kNextTable{{
    {120, 'E'}, {197, 'A'}, {271, 'I'}, {347, 'R'}, {439, 'S'},             // red
    {482, 'D'}, {538, 'L'}, {596, 'N'}, {654, 'O'}, {711, 'T'},             // green
    {734, 'B'}, {770, 'C'}, {786, 'F'}, {817, 'G'}, {841, 'H'}, {844, 'J'}, // blue
    {857, 'K'}, {885, 'M'}, {914, 'P'}, {916, 'Q'}, {951, 'U'}, {961, 'V'},
    {974, 'W'}, {977, 'X'}, {996, 'Y'}, {999, 'Z'},
}};

// Vowels and Y carry 70.1 % of the weight; the consonants 15 each, Z only 14.
constexpr std::array<Range, 26> kSwapTable{{
    {150, 'E'}, {300, 'A'}, {450, 'I'}, {550, 'O'}, {625, 'U'}, {700, 'Y'}, {715, 'B'},
    {730, 'C'}, {745, 'D'}, {760, 'F'}, {775, 'G'}, {790, 'H'}, {805, 'J'}, {820, 'K'},
    {835, 'L'}, {850, 'M'}, {865, 'N'}, {880, 'P'}, {895, 'Q'}, {910, 'R'}, {925, 'S'},
    {940, 'T'}, {955, 'V'}, {970, 'W'}, {985, 'X'}, {999, 'Z'},
}};

std::uint8_t Lookup(const std::array<Range, 26>& table, int r) {
    for (const auto& [last, letter] : table)
        if (r <= last)
            return static_cast<std::uint8_t>(letter);
    return static_cast<std::uint8_t>(table.back().second);
}

} // namespace

NextLetter NextLetterFor(int r) {
    const LetterGroup group = r <= 439   ? LetterGroup::Red
                              : r <= 711 ? LetterGroup::Green
                                         : LetterGroup::Blue;
    return {Lookup(kNextTable, r), group};
}

std::uint8_t SwapLetterFor(int r) {
    return Lookup(kSwapTable, r);
}

Rgb GroupColour(LetterGroup group) {
    switch (group) {
    case LetterGroup::Red:
        return {139, 0, 0};
    case LetterGroup::Green:
        return {0, 100, 0};
    case LetterGroup::Blue:
        break;
    }
    return {0, 0, 139};
}

} // namespace lexfall
