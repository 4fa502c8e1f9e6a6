// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFont>
#include <QString>

namespace lexfall::banner {

// The icon tile as SVG: the same tile, gradient, highlight and letter as DrawIcon at its
// largest, the letter as an outline so that no font is needed to show it.
QString ScalableIcon(const QFont& letterFont);

} // namespace lexfall::banner
