// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace lexfall {

KeyPreview::KeyPreview(QWidget* window, Handler handler)
    : window_(window), handler_(std::move(handler)) {
    qApp->installEventFilter(this);
}

std::optional<int> KeyPreview::VirtualKey(const QKeyEvent& event) {
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    switch (event.key()) {
    case Qt::Key_Space:
        return vk::Space;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Down:
        return vk::Down;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_P:
        return vk::P;
    case Qt::Key_Pause:
        return vk::Pause;
    case Qt::Key_7:
        return keypad ? std::optional<int>(vk::Numpad7) : std::nullopt;
    case Qt::Key_8:
        return keypad ? std::optional<int>(vk::Numpad8) : std::nullopt;
    case Qt::Key_9:
        return keypad ? std::optional<int>(vk::Numpad9) : std::nullopt;
    default:
        return std::nullopt;
    }
}

ShiftState KeyPreview::ShiftStateOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
            modifiers.testFlag(Qt::AltModifier)};
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    // Only the widget the event is delivered to first, so each key is seen once.
    auto* widget = static_cast<QWidget*>(watched);
    QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : window_;
    if (widget != first || widget->window() != window_)
        return false;
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (const auto key = VirtualKey(*keyEvent))
        handler_(*key, ShiftStateOf(*keyEvent));
    return false;
}

} // namespace lexfall
