// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>

namespace lexfall::banner {

// The fonts the artwork is drawn with, loaded from the given files so that the picture does not
// depend on which fonts the build machine happens to prefer.
struct Fonts {
    QString regular;
    QString bold;
};
Fonts LoadFonts(const QString& regularFile, const QString& boldFile);

// The banner at scale device pixels per layout pixel: drawn, never stretched, at every scale.
QImage DrawBanner(const Fonts& fonts, int scale = 1);
// A square letter tile with an "L", transparent around its rounded corners.
QImage DrawIcon(const Fonts& fonts, int size);

} // namespace lexfall::banner
