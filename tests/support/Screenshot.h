// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures of a window for the record: saved only when LEXFALL_SCREENSHOT_DIR names a folder.
#include <QString>
#include <QWidget>

#include <cstdlib>
#include <string>

namespace lexfall::testing {

inline void SaveScreenshot(QWidget& widget, const std::string& name) {
    const char* folder = std::getenv("LEXFALL_SCREENSHOT_DIR");
    if (folder == nullptr || *folder == '\0')
        return;
    widget.grab().save(QString::fromStdString(std::string(folder) + "/" + name));
}

} // namespace lexfall::testing
