// SPDX-License-Identifier: GPL-3.0-or-later
// mkbanner: draws the banner and the program icon and writes them as a C++ source, plus viewing
// copies of every picture.
// Usage: mkbanner <picture folder> <source file> <regular font file> <bold font file>
#include "BannerDesign.h"
#include "ByteSource.h"
#include "Drawing.h"
#include "JpegWriter.h"
#include "app/JpegImage.h"

#include <QBuffer>
#include <QGuiApplication>

#include <array>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace {

using lexfall::banner::Bytes;

constexpr int kJpegQuality = 92;
constexpr std::array kIconSizes{256, 128, 96, 64, 48, 32, 24, 16};
// Screens at 125 % to 300 % take the next larger of these and fit it.
constexpr std::array kSharpBannerScales{2, 3};

Bytes EncodePng(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw std::runtime_error("cannot encode a PNG");
    return Bytes(data.begin(), data.end());
}

void WriteFile(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + file.string());
}

int Run(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: mkbanner <picture folder> <source file> <regular font> <bold font>\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto fonts = lexfall::banner::LoadFonts(QString::fromLocal8Bit(argv[3]),
                                                  QString::fromLocal8Bit(argv[4]));

    const QImage banner = lexfall::banner::DrawBanner(fonts);
    const Bytes jpeg = lexfall::banner::EncodeJpeg(banner, kJpegQuality);
    WriteFile(folder / "banner.jpg", jpeg);
    WriteFile(folder / "banner.png", EncodePng(banner));

    std::vector<std::pair<int, Bytes>> sharpBanners;
    for (int scale : kSharpBannerScales) {
        Bytes png = EncodePng(lexfall::banner::DrawBanner(fonts, scale));
        WriteFile(folder / ("banner@" + std::to_string(scale) + "x.png"), png);
        sharpBanners.emplace_back(scale, std::move(png));
    }

    std::vector<std::pair<int, Bytes>> icons;
    for (int size : kIconSizes) {
        Bytes png = EncodePng(lexfall::banner::DrawIcon(fonts, size));
        WriteFile(folder / ("icon-" + std::to_string(size) + ".png"), png);
        icons.emplace_back(size, std::move(png));
    }
    // Shown as the player has always seen it: the JPEG's own pixels, decoded here as the
    // program once did at every start.
    const QImage shown = lexfall::DecodeJpeg(jpeg.data(), jpeg.size());
    if (shown.isNull())
        throw std::runtime_error("cannot decode the banner's JPEG");
    // The icons as the program once got them from their PNG files.
    std::vector<QImage> iconImages;
    for (const auto& [size, png] : icons) {
        QImage image;
        if (!image.loadFromData(png.data(), static_cast<int>(png.size()), "PNG"))
            throw std::runtime_error("cannot decode an icon's PNG");
        iconImages.push_back(image.convertToFormat(QImage::Format_ARGB32));
    }
    lexfall::banner::WriteArtworkSource(argv[2], jpeg, shown.convertToFormat(QImage::Format_RGB32),
                                        sharpBanners, icons, iconImages);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "mkbanner: " << e.what() << '\n';
        return 1;
    }
}
