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
};

} // namespace lexfall
