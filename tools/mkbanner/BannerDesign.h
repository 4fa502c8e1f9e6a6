// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Layout and colours of the banner and the icon tile, shared by the tool that draws them and the
// test that checks the decoded banner.
#include <array>

namespace lexfall::banner {

struct Colour {
    int r, g, b;
};

struct Box {
    int left, top, width, height;
};

inline constexpr int kWidth = 505;
inline constexpr int kHeight = 50;

// Night sky, left to right.
inline constexpr Colour kSkyLeft{14, 24, 58};
inline constexpr Colour kSkyMid{27, 52, 104};
inline constexpr Colour kSkyRight{38, 98, 138};

// "Lex" in white, "fall" in the tiles' amber.
inline constexpr Colour kNameColour{255, 255, 255};
inline constexpr Colour kFallColour{255, 186, 72};
inline constexpr Colour kTaglineColour{160, 190, 228};
inline constexpr int kNameLeft = 14;
inline constexpr int kNameBaseline = 37;
inline constexpr int kNamePixelSize = 34;
inline constexpr int kTaglinePixelSize = 11;

// Letter tiles: the landed row spells WORD, the S is still falling towards its slot.
inline constexpr Colour kTileLight{255, 214, 112};
inline constexpr Colour kTileDark{236, 150, 28};
inline constexpr Colour kTileEdge{150, 84, 8};
inline constexpr Colour kTileLetter{72, 38, 0};
inline constexpr Colour kFallingLight{255, 160, 130};
inline constexpr Colour kFallingDark{232, 88, 62};
inline constexpr int kTileSize = 26;
inline constexpr int kTileStep = 29;
inline constexpr int kRowLeft = 354;
inline constexpr int kRowTop = 20;
inline constexpr std::array<char, 4> kLandedLetters{'W', 'O', 'R', 'D'};
inline constexpr char kFallingLetter = 'S';
inline constexpr Box kFallingTile{kRowLeft + 4 * kTileStep, 7, kTileSize, kTileSize};

inline constexpr Box LandedTile(int index) {
    return {kRowLeft + index * kTileStep, kRowTop, kTileSize, kTileSize};
}

} // namespace lexfall::banner
