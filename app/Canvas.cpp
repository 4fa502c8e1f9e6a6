// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Canvas.h"

#include <QMouseEvent>
#include <QPainter>

namespace lexfall {

Canvas::Canvas(int width, int height, QWidget* parent) : QWidget(parent) {
    setFixedSize(width, height);
}

QImage& Canvas::Image() {
    return const_cast<QImage&>(std::as_const(*this).Image());
}

const QImage& Canvas::Image() const {
    if (image_.isNull()) {
        image_ = QImage(size(), QImage::Format_RGB32);
        image_.fill(Qt::white);
    }
    return image_;
}

void Canvas::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void Canvas::paintEvent(QPaintEvent*) {
    if (transparent_)
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, Image());
}

void Canvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick)
        onClick();
}

} // namespace lexfall
