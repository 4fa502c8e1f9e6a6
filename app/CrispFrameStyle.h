// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QProxyStyle>

namespace lexfall {

// Draws a widget's plain frame as whole device pixels, a logical pixel thick on every side.
// The platform style strokes it along the widget's edge, and at a fractional scale the clip
// takes whichever edges fall between two pixels.
class CrispFrameStyle : public QProxyStyle {
public:
    // Frames the widget's own frame with this style, which the widget keeps.
    static void Apply(QWidget* widget);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
};

} // namespace lexfall
