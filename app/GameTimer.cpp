// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GameTimer.h"

namespace lexfall {

GameTimer::GameTimer(int interval, std::function<void()> onTick, QObject* parent)
    : QObject(parent), timer_(this), interval_(interval), onTick_(std::move(onTick)) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { onTick_(); });
}

void GameTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Restart();
}

void GameTimer::SetInterval(int interval) {
    if (interval == interval_)
        return;
    interval_ = interval;
    Restart();
}

void GameTimer::Restart() {
    timer_.stop();
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
}

TimersHeld::TimersHeld(GameTimer& first, GameTimer& second)
    : first_(first), second_(second), firstWasOn_(first.Enabled()), secondWasOn_(second.Enabled()) {
    first_.SetEnabled(false);
    second_.SetEnabled(false);
}

TimersHeld::~TimersHeld() {
    first_.SetEnabled(firstWasOn_);
    second_.SetEnabled(secondWasOn_);
}

} // namespace lexfall
