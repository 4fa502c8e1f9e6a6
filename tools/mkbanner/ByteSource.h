#pragma once
#include <filesystem>
#include <utility>
#include <vector>

namespace lexfall::banner {

using Bytes = std::vector<unsigned char>;

// Writes the C++ source that defines app/Artwork.h: the banner JPEG and the icon PNGs as arrays.
// icons: (size, PNG bytes), largest first.
void WriteArtworkSource(const std::filesystem::path& file, const Bytes& bannerJpeg,
                        const std::vector<std::pair<int, Bytes>>& icons);

} // namespace lexfall::banner
