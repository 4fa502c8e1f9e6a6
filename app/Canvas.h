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
class Canvas : public QWidget {
    Q_OBJECT
public:
    Canvas(int width, int height, QWidget* parent);

    QImage& Image();
    const QImage& Image() const;
    // Shows image, of the canvas's size, in place of the surface.
    void SetImage(QImage image) { image_ = std::move(image); }
    void SetTransparent(bool transparent);
    bool Transparent() const { return transparent_; }
    // Call after drawing on Image().
    void Changed() { update(); }

    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    mutable QImage image_;
    bool transparent_ = false;
};

} // namespace lexfall
