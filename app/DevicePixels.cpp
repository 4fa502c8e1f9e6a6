// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DevicePixels.h"

#include <QTransform>

#include <algorithm>
#include <cmath>

namespace lexfall {

namespace {
constexpr qreal kCell = 40.0;
}

qreal PictureRatio(qreal screenRatio) {
    return std::max(1.0, std::round(screenRatio * kCell)) / kCell;
}

int DevicePixels(int logical, qreal ratio) {
    return static_cast<int>(std::floor(logical * ratio + 0.5));
}

DevicePixelPainting::DevicePixelPainting(QPainter& painter) : painter_(painter) {
    painter_.save();
    const QTransform toDevice = painter_.deviceTransform();
    ratio_ = std::hypot(toDevice.m11(), toDevice.m12());
    const QPointF origin = toDevice.map(QPointF(0, 0));
    // The world transform that, after the device's own scaling, is a whole-pixel shift alone.
    painter_.resetTransform();
    const QTransform base = painter_.deviceTransform();
    painter_.setWorldTransform(
        QTransform::fromTranslate(std::floor(origin.x() + 0.5), std::floor(origin.y() + 0.5)) *
        base.inverted());
}

DevicePixelPainting::~DevicePixelPainting() {
    painter_.restore();
}

QRect DevicePixelPainting::Map(const QRect& logical) const {
    const int left = DevicePixels(logical.left(), ratio_);
    const int top = DevicePixels(logical.top(), ratio_);
    return QRect(QPoint(left, top),
                 QPoint(DevicePixels(logical.left() + logical.width(), ratio_) - 1,
                        DevicePixels(logical.top() + logical.height(), ratio_) - 1));
}

} // namespace lexfall
