// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QTimer>

#include <functional>

namespace lexfall {

// A timer with the semantics the game was designed around: enabling a running timer or setting
// the interval it already has changes nothing; a new interval starts a full period anew; an
// interval of 0 never ticks (a QTimer with interval 0 would fire on every event-loop pass).
class GameTimer : public QObject {
    Q_OBJECT
public:
    GameTimer(int interval, std::function<void()> onTick, QObject* parent = nullptr);

    bool Enabled() const { return enabled_; }
    int Interval() const { return interval_; }
    void SetEnabled(bool enabled);
    void SetInterval(int interval);

private:
    void Restart();

    QTimer timer_;
    bool enabled_ = false;
    int interval_;
    std::function<void()> onTick_;
};

// Holds two timers off for a scope, then gives each back the state it had; one that was on
// starts a fresh full period.
class TimersHeld {
public:
    TimersHeld(GameTimer& first, GameTimer& second);
    ~TimersHeld();
    TimersHeld(const TimersHeld&) = delete;
    TimersHeld& operator=(const TimersHeld&) = delete;

private:
    GameTimer& first_;
    GameTimer& second_;
    bool firstWasOn_;
    bool secondWasOn_;
};

} // namespace lexfall
