// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace lexfall {

// Message and confirmation boxes. Texts are the game's single-byte system text.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    // Yes/No question; false only when the player answers No (the No button or Esc).
    virtual bool Confirm(const std::string& question) = 0;

    // Yes/No/Cancel question; Cancel also for Esc or a box closed without an answer. Where no
    // third button is offered it is a Yes/No question.
    enum class Answer { Yes, No, Cancel };
    virtual Answer AskYesNoCancel(const std::string& question) {
        return Confirm(question) ? Answer::Yes : Answer::No;
    }
};

} // namespace lexfall
