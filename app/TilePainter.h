// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "board/LetterTables.h"

#include <QFont>
#include <QImage>

namespace lexfall {

// The pixel work of the preview, the sprite and the board picture. Rectangles are
// (left, top)-(right, bottom) in logical pixels with the right and bottom edges excluded; each
// image is drawn at its own devicePixelRatio(), every part on whole device pixels, so that all
// cells of a picture are alike and a one-pixel line is as thick on every side.
namespace tiles {

// The letter face: a plain sans-serif of 26 points (35 pixels at 96 dpi), at ratio.
QFont LetterFont(qreal ratio = 1.0);

// (total - size) / 2 to the nearest integer, a half to the even neighbour.
int CentreOffset(int total, int size);

// Draws letter on the white tile (30,30)-(70,70) of the 100 x 100 preview, in colour, with the
// gold frame along (31,31)-(69,69). Nothing outside the tile is touched.
void DrawPreviewTile(QImage& preview, char letter, Rgb colour);

// Copies the preview tile into the 40 x 40 sprite.
void CopyPreviewToSprite(const QImage& preview, QImage& sprite);

// Repaints the inside of the sprite's frame and writes letter in red: a swapped letter.
void DrawSwappedLetter(QImage& sprite, char letter);

// Fills (0,0)-(320,400) black.
void ClearBoardPicture(QImage& board);

// Copies the sprite into the board cell (col, row).
void LandTile(QImage& board, const QImage& sprite, int col, int row);

// Blackens the word's cells and copies the strip above it one cell down.
void ClearWordCells(QImage& board, int startCol, int endCol, int row);

} // namespace tiles
} // namespace lexfall
