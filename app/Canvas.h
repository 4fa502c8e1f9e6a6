// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>
#include <QWidget>

#include <functional>
#include <utility>

namespace lexfall {

// A picture control with its own drawing surface. Drawing goes to the image; the widget
// shows it. A transparent canvas shows nothing until it is made opaque. The surface, white at
// first, is made when first used: a canvas its owner paints before it is shown has its memory
// written by that painting alone.
//
// The surface has the screen's pixels, not the layout's: its devicePixelRatio() says how many
// per logical pixel, and it is shown pixel for pixel. When the window reaches a screen of
// another ratio, what was drawn is resampled once; everything drawn after is sharp again.
class Canvas : public QWidget {
    Q_OBJECT
public:
    Canvas(int width, int height, QWidget* parent);

    QImage& Image();
    const QImage& Image() const;
    // Shows the pictures source draws, asked again for each ratio the screen comes to have.
    void SetImageSource(std::function<QImage(qreal ratio)> source);
    void SetTransparent(bool transparent);
    bool Transparent() const { return transparent_; }
    // Call after drawing on Image().
    void Changed() { update(); }

    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<QImage(qreal)> source_;
    mutable QImage image_;
    bool transparent_ = false;
};

} // namespace lexfall
