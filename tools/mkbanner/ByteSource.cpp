// SPDX-License-Identifier: GPL-3.0-or-later
#include "ByteSource.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace lexfall::banner {
namespace {

void WriteArray(std::ostream& out, const std::string& name, const Bytes& bytes) {
    static const char kHex[] = "0123456789abcdef";
    out << "alignas(16) const unsigned char " << name << "[] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out << (i % 16 == 0 ? "\n    " : " ") << "0x" << kHex[bytes[i] >> 4] << kHex[bytes[i] & 15]
            << ',';
    }
    out << "\n};\n\n";
}

void WritePixels(std::ostream& out, const std::string& name, const QImage& image) {
    out << "const std::uint32_t " << name << "[] = {";
    std::size_t n = 0;
    char word[16];
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x, ++n) {
            std::snprintf(word, sizeof word, "0x%08x,", static_cast<unsigned>(row[x]));
            out << (n % 8 == 0 ? "\n    " : " ") << word;
        }
    }
    out << "\n};\n\n";
}

} // namespace

void WriteArtworkSource(const std::filesystem::path& file, const Bytes& bannerJpeg,
                        const QImage& banner,
                        const std::vector<std::pair<int, Bytes>>& sharpBanners,
                        const std::vector<std::pair<int, Bytes>>& icons,
                        const std::vector<QImage>& iconImages) {
    std::ostringstream out;
    out << "// Written by mkbanner at build time: the banner and the program icon. Do not edit.\n"
        << "#include \"app/Artwork.h\"\n\n#include <array>\n#include <cstdint>\n\n"
        << "namespace lexfall::artwork {\nnamespace {\n\n";
    if (banner.format() != QImage::Format_RGB32)
        throw std::runtime_error("the banner must be an RGB32 image");
    WriteArray(out, "kBannerJpeg", bannerJpeg);
    WritePixels(out, "kBanner", banner);
    for (const auto& [scale, png] : sharpBanners)
        WriteArray(out, "kBannerPng" + std::to_string(scale), png);
    for (const auto& [size, png] : icons)
        WriteArray(out, "kIcon" + std::to_string(size), png);

    if (iconImages.size() != icons.size())
        throw std::runtime_error("every icon needs its pixels");
    for (const QImage& image : iconImages) {
        if (image.format() != QImage::Format_ARGB32)
            throw std::runtime_error("the icons' pixels must be ARGB32 images");
        WritePixels(out, "kIconPixels" + std::to_string(image.width()), image);
    }
    out << "const std::array<Pixels, " << iconImages.size() << "> kIconPixels{{\n";
    for (const QImage& image : iconImages)
        out << "    {kIconPixels" << image.width() << ", " << image.width() << ", "
            << image.height() << "},\n";
    out << "}};\n\n";

    out << "const std::array<ScaledPng, " << sharpBanners.size() << "> kSharpBanners{{\n";
    for (const auto& [scale, png] : sharpBanners)
        out << "    {" << scale << ", {kBannerPng" << scale << ", sizeof kBannerPng" << scale
            << "}},\n";
    out << "}};\n\n";

    out << "const std::array<IconPng, " << icons.size() << "> kIcons{{\n";
    for (const auto& [size, png] : icons)
        out << "    {" << size << ", {kIcon" << size << ", sizeof kIcon" << size << "}},\n";
    out << "}};\n\n} // namespace\n\n"
        << "Pixels BannerPixels() { return {kBanner, " << banner.width() << ", " << banner.height()
        << "}; }\n\n"
        << "Blob BannerJpeg() { return {kBannerJpeg, sizeof kBannerJpeg}; }\n\n"
        << "std::span<const ScaledPng> SharpBanners() { return kSharpBanners; }\n\n"
        << "std::span<const IconPng> IconPngs() { return kIcons; }\n\n"
        << "std::span<const Pixels> IconPixels() { return kIconPixels; }\n\n"
        << "} // namespace lexfall::artwork\n";

    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << out.str();
    if (!stream.flush())
        throw std::runtime_error("cannot write " + file.string());
}

} // namespace lexfall::banner
