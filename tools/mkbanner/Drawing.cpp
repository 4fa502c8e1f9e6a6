// SPDX-License-Identifier: GPL-3.0-or-later
#include "Drawing.h"

#include "BannerDesign.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdint>
#include <stdexcept>

namespace lexfall::banner {
namespace {

QColor ToQt(Colour c, int alpha = 255) {
    return QColor(c.r, c.g, c.b, alpha);
}

QString Family(const QString& file) {
    const int id = QFontDatabase::addApplicationFont(file);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (id < 0 || families.isEmpty())
        throw std::runtime_error("cannot load font " + file.toStdString());
    return families.front();
}

QFont Font(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// A small fixed generator, so the scattered background letters are the same on every build.
class Scatter {
public:
    int Below(int n) {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int>((state_ >> 16) % static_cast<std::uint32_t>(n));
    }

private:
    std::uint32_t state_ = 20260101u;
};

void DrawSky(QPainter& p, const Fonts& fonts) {
    QLinearGradient sky(0, 0, kWidth, 0);
    sky.setColorAt(0.0, ToQt(kSkyLeft));
    sky.setColorAt(0.55, ToQt(kSkyMid));
    sky.setColorAt(1.0, ToQt(kSkyRight));
    p.fillRect(0, 0, kWidth, kHeight, sky);

    // Faint columns of letters raining down above the tagline, brighter at their lower end.
    Scatter scatter;
    p.setFont(Font(fonts.bold, 9, true));
    for (int column = 0; column < 7; ++column) {
        const int x = 196 + column * 21 + scatter.Below(6);
        const int bottom = 17 + scatter.Below(8);
        for (int k = 0; k < 3; ++k) {
            const QChar letter(static_cast<char16_t>(u'A' + scatter.Below(26)));
            p.setPen(QColor(255, 255, 255, 44 - 14 * k));
            p.drawText(x, bottom - 10 * k, QString(letter));
        }
    }
}

void DrawTile(QPainter& p, const QFont& letterFont, QRectF box, char letter, Colour light,
              Colour dark) {
    const qreal radius = box.width() * 0.18;
    QLinearGradient face(box.topLeft(), box.bottomLeft());
    face.setColorAt(0.0, ToQt(light));
    face.setColorAt(1.0, ToQt(dark));
    const qreal edge = box.width() >= 24 ? 1.0 : 0.0;
    p.setPen(edge > 0 ? QPen(ToQt(kTileEdge), edge) : Qt::NoPen);
    p.setBrush(face);
    p.drawRoundedRect(box.adjusted(edge / 2, edge / 2, -edge / 2, -edge / 2), radius, radius);

    // A soft highlight along the top edge makes the tile read as raised.
    if (box.width() >= 20) {
        QRectF shine = box.adjusted(box.width() * 0.12, box.height() * 0.08, -box.width() * 0.12,
                                    -box.height() * 0.62);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 70));
        p.drawRoundedRect(shine, radius / 2, radius / 2);
    }

    QFont font = letterFont;
    font.setPixelSize(qMax(8, qRound(box.height() * 0.68)));
    p.setFont(font);
    p.setPen(ToQt(kTileLetter));
    p.drawText(box, Qt::AlignCenter, QString(QChar(letter)));
}

QRectF ToRect(Box b) {
    return QRectF(b.left, b.top, b.width, b.height);
}

void DrawName(QPainter& p, const Fonts& fonts) {
    const QFont name = Font(fonts.bold, kNamePixelSize, true);
    const QFontMetrics metrics(name);
    const QString lex = QStringLiteral("Lex");
    const QString fall = QStringLiteral("fall");
    const int fallLeft = kNameLeft + metrics.horizontalAdvance(lex);
    p.setFont(name);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(kNameLeft + 2, kNameBaseline + 2, lex + fall);
    p.setPen(ToQt(kNameColour));
    p.drawText(kNameLeft, kNameBaseline, lex);
    p.setPen(ToQt(kFallColour));
    p.drawText(fallLeft, kNameBaseline, fall);

    const int taglineLeft = fallLeft + metrics.horizontalAdvance(fall) + 12;
    p.setFont(Font(fonts.regular, kTaglinePixelSize, false));
    p.setPen(ToQt(kTaglineColour));
    p.drawText(taglineLeft, kNameBaseline, QStringLiteral("catch the letters, make the words"));
}

void DrawTiles(QPainter& p, const Fonts& fonts) {
    const QFont letters = Font(fonts.bold, 16, true);
    // The floor of the well the tiles rest on.
    const int floorTop = kRowTop + kTileSize + 1;
    p.fillRect(kRowLeft - 6, floorTop, 5 * kTileStep + 9, 2, QColor(255, 255, 255, 60));
    for (int i = 0; i < static_cast<int>(kLandedLetters.size()); ++i)
        DrawTile(p, letters, ToRect(LandedTile(i)), kLandedLetters[static_cast<std::size_t>(i)],
                 kTileLight, kTileDark);

    // Speed lines above the falling tile.
    const QRectF falling = ToRect(kFallingTile);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        const qreal x = falling.left() + 6 + i * 7;
        QLinearGradient trail(x, 0, x, falling.top() + 2);
        trail.setColorAt(0.0, QColor(255, 255, 255, 0));
        trail.setColorAt(1.0, QColor(255, 255, 255, 90));
        p.setBrush(trail);
        p.drawRect(QRectF(x, 0, 2, falling.top() + 2));
    }
    DrawTile(p, letters, falling, kFallingLetter, kFallingLight, kFallingDark);
}

} // namespace

Fonts LoadFonts(const QString& regularFile, const QString& boldFile) {
    return {Family(regularFile), Family(boldFile)};
}

QImage DrawBanner(const Fonts& fonts, int scale) {
    QImage image(kWidth * scale, kHeight * scale, QImage::Format_RGB32);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawSky(p, fonts);
    DrawName(p, fonts);
    DrawTiles(p, fonts);
    return image;
}

QImage DrawIcon(const Fonts& fonts, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Small icons use the whole square; large ones keep a margin for the platform's shadow.
    const qreal margin = size >= 48 ? size / 16.0 : 0.0;
    const QRectF box(margin, margin, size - 2 * margin, size - 2 * margin);
    DrawTile(p, Font(fonts.bold, 16, true), box, 'L', kTileLight, kTileDark);
    return image;
}

} // namespace lexfall::banner
