// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>

#include <vector>

namespace lexfall::banner {

// The image as a baseline JPEG file, written with libjpeg itself (the shell decodes it the same
// way). Full-resolution colour keeps the small coloured lettering sharp.
std::vector<unsigned char> EncodeJpeg(const QImage& image, int quality);

} // namespace lexfall::banner
