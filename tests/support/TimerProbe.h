// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a game timer's own QTimer is doing, read through the object tree, so the window's
// timer needs no accessors that only tests call.
#include "app/GameTimer.h"

#include <QTimer>

namespace lexfall::testing {

inline const QTimer& InnerTimer(const GameTimer& timer) {
    return *timer.findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
}

// True while a period is actually counting down.
inline bool Counting(const GameTimer& timer) {
    return InnerTimer(timer).isActive();
}

// Milliseconds left of the running period; -1 while not counting.
inline int RemainingTime(const GameTimer& timer) {
    return InnerTimer(timer).remainingTime();
}

} // namespace lexfall::testing
