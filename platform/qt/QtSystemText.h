// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include <string>
#include <string_view>

namespace lexfall {

// The one place where the game's single-byte text meets Qt's: UTF-8, with bytes that are not
// UTF-8 shown as Windows-1252 (see text/SystemText.h).
QString FromSystemText(std::string_view text);
std::string ToSystemText(const QString& text);

} // namespace lexfall
