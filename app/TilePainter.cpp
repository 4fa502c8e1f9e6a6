// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TilePainter.h"

#include "app/DevicePixels.h"
#include "board/Board.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace lexfall::tiles {
namespace {

const QColor kWhite(255, 255, 255);
const QColor kGold(255, 215, 0);
const QColor kBlack(0, 0, 0);
const QColor kSwapRed(255, 0, 0);

constexpr int kTileLeft = 30;

// An image's own pixels, whatever its ratio: painting here is in device pixels.
QImage PixelsOf(QImage& image) {
    return QImage(image.bits(), image.width(), image.height(), image.bytesPerLine(),
                  image.format());
}

// A letter cell at a ratio, in device pixels: at 1 the frame is the one-pixel gold line one
// pixel inside the cell.
struct Cell {
    explicit Cell(qreal pictureRatio)
        : ratio(pictureRatio), size(DevicePixels(BlockSize, pictureRatio)),
          line(std::max(1, DevicePixels(1, pictureRatio))) {}

    QRect Frame(QPoint origin) const {
        return QRect(origin, QSize(size, size)).adjusted(line, line, -line, -line);
    }
    QRect Inside(QPoint origin) const { return Frame(origin).adjusted(line, line, -line, -line); }

    qreal ratio;
    int size;
    int line; // a logical pixel, at least one device pixel
};

// Writes letter centred in the cell at origin, on a white text cell clipped to clip.
// The clip keeps the cell of a tall face from spilling over the frame or the black surround.
void WriteLetter(QImage& pixels, const Cell& cell, char letter, QColor colour, QPoint origin,
                 const QRect& clip) {
    const QFont font = LetterFont(cell.ratio);
    const QFontMetrics metrics(font, &pixels);
    const QString text(QChar::fromLatin1(letter));
    const int width = metrics.horizontalAdvance(text);
    const int height = metrics.height();
    const int x = origin.x() + CentreOffset(cell.size, width);
    const int y = origin.y() + CentreOffset(cell.size, height);
    QPainter painter(&pixels);
    painter.setClipRect(clip);
    painter.fillRect(x, y, width, height, kWhite);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(x, y + metrics.ascent(), text);
}

void DrawFrame(QPainter& painter, const QRect& frame, int line) {
    painter.fillRect(frame.left(), frame.top(), frame.width(), line, kGold);
    painter.fillRect(frame.left(), frame.bottom() - line + 1, frame.width(), line, kGold);
    painter.fillRect(frame.left(), frame.top(), line, frame.height(), kGold);
    painter.fillRect(frame.right() - line + 1, frame.top(), line, frame.height(), kGold);
}

QPoint PreviewTileOrigin(const Cell& cell) {
    const int left = DevicePixels(kTileLeft, cell.ratio);
    return QPoint(left, left);
}

} // namespace

QFont LetterFont(qreal ratio) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(DevicePixels(35, ratio));
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
    const Cell cell(preview.devicePixelRatio());
    QImage pixels = PixelsOf(preview);
    const QPoint origin = PreviewTileOrigin(cell);
    const QRect tile(origin, QSize(cell.size, cell.size));
    {
        QPainter painter(&pixels);
        painter.fillRect(tile, kWhite);
    }
    WriteLetter(pixels, cell, letter, QColor(colour.r, colour.g, colour.b), origin, tile);
    // The frame comes after the letter, so it covers any part of the text cell reaching it.
    QPainter painter(&pixels);
    DrawFrame(painter, cell.Frame(origin), cell.line);
}

void CopyPreviewToSprite(const QImage& preview, QImage& sprite) {
    const Cell from(preview.devicePixelRatio());
    const Cell to(sprite.devicePixelRatio());
    QImage pixels = PixelsOf(sprite);
    QPainter painter(&pixels);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // Pictures of two ratios meet only for the moment the window is between two screens.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(0, 0, to.size, to.size), preview,
                      QRect(PreviewTileOrigin(from), QSize(from.size, from.size)));
}

void DrawSwappedLetter(QImage& sprite, char letter) {
    const Cell cell(sprite.devicePixelRatio());
    QImage pixels = PixelsOf(sprite);
    const QRect inside = cell.Inside(QPoint(0, 0));
    {
        QPainter painter(&pixels);
        painter.fillRect(inside.adjusted(cell.line, cell.line, -cell.line, -cell.line), kWhite);
    }
    // Only the inside of the gold frame is written.
    WriteLetter(pixels, cell, letter, kSwapRed, QPoint(0, 0), inside);
}

void ClearBoardPicture(QImage& board) {
    const Cell cell(board.devicePixelRatio());
    QImage pixels = PixelsOf(board);
    QPainter painter(&pixels);
    painter.fillRect(QRect(0, 0, (MaxCol + 1) * cell.size, (MaxRow + 1) * cell.size), kBlack);
}

void LandTile(QImage& board, const QImage& sprite, int col, int row) {
    const Cell cell(board.devicePixelRatio());
    QImage pixels = PixelsOf(board);
    QPainter painter(&pixels);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(col * cell.size, row * cell.size, cell.size, cell.size), sprite,
                      sprite.rect());
}

void ClearWordCells(QImage& board, int startCol, int endCol, int row) {
    const Cell cell(board.devicePixelRatio());
    const int left = startCol * cell.size;
    const int width = (endCol - startCol + 1) * cell.size;
    QImage pixels = PixelsOf(board);
    QPainter painter(&pixels);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(left, row * cell.size, width, cell.size), kBlack);
    if (row > 0) {
        // Copy out first: source and destination overlap.
        const QImage strip = pixels.copy(QRect(left, 0, width, row * cell.size));
        painter.drawImage(QPoint(left, cell.size), strip);
    }
}

} // namespace lexfall::tiles
