// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Dialogs.h"
#include "platform/GameFolders.h"

#include <string>

namespace lexfall {

// The boxes of a game that has no home to save in (no HOME, no account home, "/" not
// writable): the first failure to write the player's files is told once, naming the folders,
// and the later ones, which would come at every start and every save, are not shown; the game
// plays on. Every other message and question passes through.
class HomelessDialogs : public Dialogs {
public:
    HomelessDialogs(Dialogs& shown, const GameFolders& folders);

    void ShowMessage(const std::string& text) override;
    bool Confirm(const std::string& question) override { return shown_.Confirm(question); }
    Answer AskYesNoCancel(const std::string& question) override {
        return shown_.AskYesNoCancel(question);
    }

private:
    bool AboutThePlayerFiles(const std::string& text) const;

    Dialogs& shown_;
    std::string settingsDir_;
    std::string recordsDir_;
    bool told_ = false;
};

} // namespace lexfall
