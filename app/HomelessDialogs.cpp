// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HomelessDialogs.h"

#include "records/RecordFile.h"

namespace lexfall {

HomelessDialogs::HomelessDialogs(Dialogs& shown, const GameFolders& folders)
    : shown_(shown), settingsDir_(folders.settingsDir), recordsDir_(folders.recordsDir) {}

bool HomelessDialogs::AboutThePlayerFiles(const std::string& text) const {
    // "new one created" comes before the create fails, and is untrue here.
    return text == kMissingRecordFileText || text.find(settingsDir_) != std::string::npos ||
           text.find(recordsDir_) != std::string::npos;
}

void HomelessDialogs::ShowMessage(const std::string& text) {
    if (!AboutThePlayerFiles(text)) {
        shown_.ShowMessage(text);
        return;
    }
    if (told_)
        return;
    told_ = true;
    shown_.ShowMessage("No home folder is known (HOME is not set), and \"" + settingsDir_ +
                       "\" and \"" + recordsDir_ +
                       "\" cannot be made. Your settings and records will not be saved.");
}

} // namespace lexfall
