// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "board/GameKeys.h"

#include <QObject>

#include <functional>
#include <optional>

class QKeyEvent;

namespace lexfall {

// Key preview: sees every key pressed in one window before the focused control, and never
// consumes it, so the control handles the key as well.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int virtualKey, ShiftState)>;
    KeyPreview(QWidget* window, Handler handler);

    // The virtual-key code of a Qt key event, for the keys the game knows.
    static std::optional<int> VirtualKey(const QKeyEvent& event);
    static ShiftState ShiftStateOf(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    Handler handler_;
};

} // namespace lexfall
