// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CrispFrameStyle.h"

#include "app/DevicePixels.h"

#include <QStyleOption>
#include <QWidget>

#include <algorithm>

namespace lexfall {

void CrispFrameStyle::Apply(QWidget* widget) {
    auto* style = new CrispFrameStyle;
    style->setParent(widget);
    widget->setStyle(style);
}

void CrispFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const {
    if (element != PE_Frame) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // The colour the platform's own plain frame has: the window's face, darkened.
    const QColor colour = option->palette.window().color().darker(140).lighter(108);
    const DevicePixelPainting device(*painter);
    const QRect frame = device.Map(option->rect);
    const int line = std::max(1, DevicePixels(1, device.Ratio()));
    painter->fillRect(frame.left(), frame.top(), frame.width(), line, colour);
    painter->fillRect(frame.left(), frame.bottom() - line + 1, frame.width(), line, colour);
    painter->fillRect(frame.left(), frame.top(), line, frame.height(), colour);
    painter->fillRect(frame.right() - line + 1, frame.top(), line, frame.height(), colour);
}

} // namespace lexfall
