// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtSystemText.h"

#include "text/SystemText.h"

namespace lexfall {

QString FromSystemText(std::string_view text) {
    const std::string utf8 = ShownUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToSystemText(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace lexfall
