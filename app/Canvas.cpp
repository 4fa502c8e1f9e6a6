#include "app/Canvas.h"

#include <QMouseEvent>
#include <QPainter>

namespace lexfall {

Canvas::Canvas(int width, int height, QWidget* parent)
    : QWidget(parent), image_(width, height, QImage::Format_RGB32) {
    image_.fill(Qt::white);
    setFixedSize(width, height);
}

void Canvas::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void Canvas::paintEvent(QPaintEvent*) {
    if (transparent_)
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void Canvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick)
        onClick();
}

} // namespace lexfall
