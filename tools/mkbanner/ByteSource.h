// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>

#include <filesystem>
#include <utility>
#include <vector>

namespace lexfall::banner {

using Bytes = std::vector<unsigned char>;

// Writes the C++ source that defines app/Artwork.h: the banner's JPEG file and its pixels (an
// RGB32 image), the banner drawn at larger scales as PNGs, and the icon PNGs with their pixels
// (ARGB32 images), as arrays. sharpBanners: (scale, PNG bytes), smallest first; icons: (size,
// PNG bytes), largest first; iconImages: the same icons, decoded.
void WriteArtworkSource(const std::filesystem::path& file, const Bytes& bannerJpeg,
                        const QImage& banner,
                        const std::vector<std::pair<int, Bytes>>& sharpBanners,
                        const std::vector<std::pair<int, Bytes>>& icons,
                        const std::vector<QImage>& iconImages);

} // namespace lexfall::banner
