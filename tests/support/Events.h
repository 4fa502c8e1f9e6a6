// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Lets the window's timers and queued events run for a while, as the event loop would.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

namespace lexfall::testing {

inline void RunEventsFor(int milliseconds) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace lexfall::testing
