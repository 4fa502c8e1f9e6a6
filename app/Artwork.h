// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The banner and the program icon. tools/mkbanner draws them at build time and links them in as
// bytes, so the program needs no picture files beside it.
#include <cstddef>
#include <cstdint>
#include <span>

namespace lexfall::artwork {

struct Blob {
    const unsigned char* data;
    std::size_t size;
};

// The 505 x 50 banner over the pages as it is shown: its JPEG file, decoded at build time so that
// the program loads no image codec to draw it.
struct Pixels {
    const std::uint32_t* data; // 0xffRRGGBB, row after row
    int width;
    int height;
};
Pixels BannerPixels();
// The banner's JPEG file, which the pixels come from.
Blob BannerJpeg();

struct ScaledPng {
    int scale; // device pixels per layout pixel
    Blob png;
};

// The banner drawn at 2 and 3 device pixels per layout pixel, as PNG files, smallest first:
// decoded only on a screen that scales.
std::span<const ScaledPng> SharpBanners();

struct IconPng {
    int size; // width and height in pixels
    Blob png;
};

// The program icon as PNG files, largest first: 256, 128, 96, 64, 48, 32, 24 and 16 pixels square.
std::span<const IconPng> IconPngs();

// The same icons decoded at build time, 0xAARRGGBB pixels (alpha not premultiplied), largest
// first: the window shows them without decoding a PNG at start-up.
std::span<const Pixels> IconPixels();

} // namespace lexfall::artwork
