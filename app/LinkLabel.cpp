// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LinkLabel.h"

#include <QMouseEvent>

namespace lexfall {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick)
        onClick();
}

} // namespace lexfall
