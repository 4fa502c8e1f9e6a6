// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>

#include <cstddef>

namespace lexfall {

// Decodes a JPEG file held in memory with libjpeg. A damaged or truncated file gives a null
// image instead of a partly grey one, and never ends the program.
QImage DecodeJpeg(const unsigned char* data, std::size_t size);

} // namespace lexfall
