// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScalableIcon.h"

#include "../mkbanner/BannerDesign.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QRectF>

namespace lexfall::banner {

namespace {

constexpr qreal kSize = 256;
constexpr qreal kMargin = kSize / 16; // as DrawIcon leaves around its large sizes

QString Rgb(Colour c) {
    return QStringLiteral("#%1%2%3")
        .arg(c.r, 2, 16, QChar('0'))
        .arg(c.g, 2, 16, QChar('0'))
        .arg(c.b, 2, 16, QChar('0'));
}

QString Number(qreal value) {
    return QString::number(value, 'f', 2);
}

// An outline as SVG path data; Qt's curves are cubic, like SVG's C command.
QString PathData(const QPainterPath& path) {
    QString data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            data += QStringLiteral("M%1 %2").arg(Number(e.x), Number(e.y));
        } else if (e.isLineTo()) {
            data += QStringLiteral("L%1 %2").arg(Number(e.x), Number(e.y));
        } else if (e.isCurveTo()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            data += QStringLiteral("C%1 %2 %3 %4 %5 %6")
                        .arg(Number(e.x), Number(e.y), Number(c2.x), Number(c2.y), Number(end.x),
                             Number(end.y));
            i += 2;
        }
    }
    return data + QStringLiteral("Z");
}

} // namespace

QString ScalableIcon(const QFont& letterFont) {
    const QRectF box(kMargin, kMargin, kSize - 2 * kMargin, kSize - 2 * kMargin);
    const qreal radius = box.width() * 0.18;
    const QRectF shine = box.adjusted(box.width() * 0.12, box.height() * 0.08, -box.width() * 0.12,
                                      -box.height() * 0.62);

    QFont font = letterFont;
    font.setPixelSize(qRound(box.height() * 0.68));
    const QFontMetricsF metrics(font);
    const QString letter = QStringLiteral("L");
    // Centred as drawText centres a line: its advance across, ascent plus descent down.
    const qreal left = box.center().x() - metrics.horizontalAdvance(letter) / 2;
    const qreal baseline = box.center().y() - metrics.height() / 2 + metrics.ascent();
    QPainterPath glyph;
    glyph.addText(left, baseline, font, letter);

    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
               "viewBox=\"0 0 %1 %1\">\n"
               "  <defs>\n"
               "    <linearGradient id=\"face\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
               "      <stop offset=\"0\" stop-color=\"%2\"/>\n"
               "      <stop offset=\"1\" stop-color=\"%3\"/>\n"
               "    </linearGradient>\n"
               "  </defs>\n"
               "  <rect x=\"%4\" y=\"%4\" width=\"%5\" height=\"%5\" rx=\"%6\" fill=\"url(#face)\" "
               "stroke=\"%7\" stroke-width=\"1\"/>\n")
               .arg(Number(kSize), Rgb(kTileLight), Rgb(kTileDark), Number(kMargin + 0.5),
                    Number(box.width() - 1), Number(radius), Rgb(kTileEdge)) +
           QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" "
                          "fill=\"#ffffff\" fill-opacity=\"0.27\"/>\n")
               .arg(Number(shine.x()), Number(shine.y()), Number(shine.width()),
                    Number(shine.height()), Number(radius / 2)) +
           QStringLiteral("  <path d=\"%1\" fill=\"%2\"/>\n</svg>\n")
               .arg(PathData(glyph.simplified()), Rgb(kTileLetter));
}

} // namespace lexfall::banner
