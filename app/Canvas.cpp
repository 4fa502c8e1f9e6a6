// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Canvas.h"

#include "app/DevicePixels.h"

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
    const qreal ratio = PictureRatio(devicePixelRatioF());
    if (!image_.isNull() && image_.devicePixelRatio() == ratio)
        return image_;
    const QSize pixels(DevicePixels(width(), ratio), DevicePixels(height(), ratio));
    if (source_) {
        image_ = source_(ratio);
    } else if (image_.isNull()) {
        image_ = QImage(pixels, QImage::Format_RGB32);
        image_.fill(Qt::white);
    } else {
        image_ = image_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image_.setDevicePixelRatio(ratio);
    return image_;
}

void Canvas::SetImageSource(std::function<QImage(qreal)> source) {
    source_ = std::move(source);
    image_ = QImage();
    update();
}

void Canvas::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void Canvas::paintEvent(QPaintEvent*) {
    if (transparent_)
        return;
    QPainter painter(this);
    const QImage& image = Image();
    const DevicePixelPainting device(painter);
    const QRect target = device.Map(rect());
    // Pixel for pixel when the ratios agree; a source picture of another size is fitted.
    if (target.size() != image.size())
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image, image.rect());
}

void Canvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick)
        onClick();
}

} // namespace lexfall
