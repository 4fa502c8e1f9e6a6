#pragma once
#include "platform/Dialogs.h"

namespace lexfall {

// Plain message boxes and Yes/No confirmations, titled with the program's name.
class QtDialogs final : public Dialogs {
public:
    void ShowMessage(const std::string& text) override;
    bool Confirm(const std::string& question) override;
    Answer AskYesNoCancel(const std::string& question) override;
};

} // namespace lexfall
