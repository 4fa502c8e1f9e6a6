// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Dialogs.h"

#include <functional>

namespace lexfall {

// Boxes that hold the game while they are open: a box runs an event loop of its own, and the
// game must not go on unseen under it. hold(true) comes before each box, hold(false) after it,
// also when the box fails.
class HoldingDialogs final : public Dialogs {
public:
    HoldingDialogs(Dialogs& boxes, std::function<void(bool)> hold)
        : boxes_(boxes), hold_(std::move(hold)) {}

    void ShowMessage(const std::string& text) override {
        Held([&] { boxes_.ShowMessage(text); });
    }
    bool Confirm(const std::string& question) override {
        bool yes = false;
        Held([&] { yes = boxes_.Confirm(question); });
        return yes;
    }
    Answer AskYesNoCancel(const std::string& question) override {
        Answer answer = Answer::Cancel;
        Held([&] { answer = boxes_.AskYesNoCancel(question); });
        return answer;
    }

private:
    void Held(const std::function<void()>& box) {
        hold_(true);
        try {
            box();
        } catch (...) {
            hold_(false);
            throw;
        }
        hold_(false);
    }

    Dialogs& boxes_;
    std::function<void(bool)> hold_;
};

} // namespace lexfall
