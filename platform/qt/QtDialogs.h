// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Dialogs.h"

#include <QDialog>

#include <chrono>
#include <functional>

class QWidget;

namespace lexfall {

// Plain message boxes and Yes/No confirmations, titled with the program's name.
class QtDialogs final : public Dialogs {
public:
    void ShowMessage(const std::string& text) override;
    bool Confirm(const std::string& question) override;
    Answer AskYesNoCancel(const std::string& question) override;
};

// The small box that stands for a request in progress: one line and Cancel. Esc and the
// title bar's close cancel as well.
class WaitingBox final : public QDialog {
    Q_OBJECT
public:
    explicit WaitingBox(QWidget* parent);
};

inline constexpr const char* WaitingText = "Contacting the records server\u2026";

// Runs work on a thread of its own and returns when it has returned, the window painting
// meanwhile. The program takes no input in that time, under a busy cursor, but one: after
// boxDelay the WaitingBox comes up, and its Cancel calls cancel (on this thread), which must
// make work return soon.
void RunWhileWaiting(const std::function<void()>& work, const std::function<void()>& cancel,
                     QWidget* parent,
                     std::chrono::milliseconds boxDelay = std::chrono::milliseconds(500));

} // namespace lexfall
