// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TilePainter.h"

#include "board/Board.h"

#include <QFontMetrics>
#include <QPainter>

namespace lexfall::tiles {
namespace {

const QColor kWhite(255, 255, 255);
const QColor kGold(255, 215, 0);
const QColor kBlack(0, 0, 0);
const QColor kSwapRed(255, 0, 0);

constexpr int kTileLeft = 30;

// Writes letter centred in the 40 x 40 cell at origin, on a white text cell clipped to clip.
// The clip keeps the cell of a tall face from spilling over the frame or the black surround.
void WriteLetter(QImage& image, char letter, QColor colour, QPoint origin, const QRect& clip) {
    const QFont font = LetterFont();
    const QFontMetrics metrics(font, &image);
    const QString text(QChar::fromLatin1(letter));
    const int width = metrics.horizontalAdvance(text);
    const int height = metrics.height();
    const int x = origin.x() + CentreOffset(BlockSize, width);
    const int y = origin.y() + CentreOffset(BlockSize, height);
    QPainter painter(&image);
    painter.setClipRect(clip);
    painter.fillRect(x, y, width, height, kWhite);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(x, y + metrics.ascent(), text);
}

} // namespace

QFont LetterFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(35);
    return font;
}

int CentreOffset(int total, int size) {
    const int twice = total - size;
    int half = twice / 2; // toward zero
    const int remainder = twice % 2;
    if (remainder != 0) {
        // An exact half: go to the even neighbour of the two candidates.
        const int other = half + (remainder > 0 ? 1 : -1);
        if (other % 2 == 0)
            half = other;
    }
    return half;
}

void DrawPreviewTile(QImage& preview, char letter, Rgb colour) {
    const QRect tile(kTileLeft, kTileLeft, BlockSize, BlockSize);
    {
        QPainter painter(&preview);
        painter.fillRect(tile, kWhite);
    }
    WriteLetter(preview, letter, QColor(colour.r, colour.g, colour.b), tile.topLeft(), tile);
    // The frame comes after the letter, so it covers any part of the text cell reaching it.
    QPainter painter(&preview);
    painter.fillRect(31, 31, 38, 1, kGold);
    painter.fillRect(31, 68, 38, 1, kGold);
    painter.fillRect(31, 31, 1, 38, kGold);
    painter.fillRect(68, 31, 1, 38, kGold);
}

void CopyPreviewToSprite(const QImage& preview, QImage& sprite) {
    QPainter painter(&sprite);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), preview, QRect(kTileLeft, kTileLeft, BlockSize, BlockSize));
}

void DrawSwappedLetter(QImage& sprite, char letter) {
    {
        QPainter painter(&sprite);
        painter.fillRect(QRect(3, 3, 34, 34), kWhite);
    }
    // Only the inside of the gold frame (pixels 1 and 38) is written.
    WriteLetter(sprite, letter, kSwapRed, QPoint(0, 0), QRect(2, 2, 36, 36));
}

void ClearBoardPicture(QImage& board) {
    QPainter painter(&board);
    painter.fillRect(QRect(0, 0, (MaxCol + 1) * BlockSize, (MaxRow + 1) * BlockSize), kBlack);
}

void LandTile(QImage& board, const QImage& sprite, int col, int row) {
    QPainter painter(&board);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(col * BlockSize, row * BlockSize), sprite,
                      QRect(0, 0, BlockSize, BlockSize));
}

void ClearWordCells(QImage& board, int startCol, int endCol, int row) {
    const int left = startCol * BlockSize;
    const int width = (endCol - startCol + 1) * BlockSize;
    QPainter painter(&board);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(left, row * BlockSize, width, BlockSize), kBlack);
    if (row > 0) {
        // Copy out first: source and destination overlap.
        const QImage strip = board.copy(QRect(left, 0, width, row * BlockSize));
        painter.drawImage(QPoint(left, BlockSize), strip);
    }
}

} // namespace lexfall::tiles
