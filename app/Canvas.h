#pragma once
#include <QImage>
#include <QWidget>

#include <functional>

namespace lexfall {

// A picture control with its own drawing surface. Drawing goes to the image; the widget
// shows it. A transparent canvas shows nothing until it is made opaque.
class Canvas : public QWidget {
    Q_OBJECT
public:
    Canvas(int width, int height, QWidget* parent);

    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }
    void SetTransparent(bool transparent);
    bool Transparent() const { return transparent_; }
    // Call after drawing on Image().
    void Changed() { update(); }

    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage image_;
    bool transparent_ = false;
};

} // namespace lexfall
