// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drawing in the screen's own pixels. Qt scales a widget's painting by the screen's ratio, so a
// one-pixel line or a copied picture at a fractional position is smeared over two pixels or
// dropped by the clip; what must stay crisp is placed on whole device pixels instead.
#include <QPainter>
#include <QRect>

namespace lexfall {

// The ratio a picture is drawn at: the screen's, moved to the nearest multiple of 1/40, so that a
// 40-pixel letter cell is a whole number of device pixels and the cells tile with no seam.
qreal PictureRatio(qreal screenRatio);

// A logical length at ratio, in whole device pixels (a half rounds up).
int DevicePixels(int logical, qreal ratio);

// While it lives, the painter draws in device pixels, its origin moved to the whole device pixel
// nearest to where the logical origin fell.
class DevicePixelPainting {
public:
    explicit DevicePixelPainting(QPainter& painter);
    ~DevicePixelPainting();
    DevicePixelPainting(const DevicePixelPainting&) = delete;
    DevicePixelPainting& operator=(const DevicePixelPainting&) = delete;

    // The ratio the painter's logical pixels had.
    qreal Ratio() const { return ratio_; }
    // A logical rectangle as the whole device pixels it covers, edges rounded alike.
    QRect Map(const QRect& logical) const;

private:
    QPainter& painter_;
    qreal ratio_;
};

} // namespace lexfall
