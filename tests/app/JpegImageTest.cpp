// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/JpegImage.h"
#include "app/Artwork.h"
#include "tools/mkbanner/BannerDesign.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <vector>

namespace {

namespace banner = lexfall::banner;
using lexfall::DecodeJpeg;

QImage DecodedBanner() {
    const auto jpeg = lexfall::artwork::BannerJpeg();
    return DecodeJpeg(jpeg.data, jpeg.size);
}

// Mean colour of a box, which evens out the JPEG's ringing.
QColor Mean(const QImage& image, banner::Box box) {
    long r = 0, g = 0, b = 0;
    for (int y = box.top; y < box.top + box.height; ++y)
        for (int x = box.left; x < box.left + box.width; ++x) {
            const QColor c = image.pixelColor(x, y);
            r += c.red();
            g += c.green();
            b += c.blue();
        }
    const long n = box.width * box.height;
    return QColor(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
}

bool Near(const QColor& actual, banner::Colour expected, int tolerance) {
    return std::abs(actual.red() - expected.r) <= tolerance &&
           std::abs(actual.green() - expected.g) <= tolerance &&
           std::abs(actual.blue() - expected.b) <= tolerance;
}

bool Between(int value, int a, int b, int tolerance) {
    return value >= std::min(a, b) - tolerance && value <= std::max(a, b) + tolerance;
}

TEST(JpegImageTest, EmbeddedBannerDecodesAtItsPlaceSize) {
    // The banner fills the 505 x 50 strip over the pages.
    const QImage image = DecodedBanner();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 505);
    EXPECT_EQ(image.height(), 50);
}

TEST(JpegImageTest, TheBannerShownIsItsJpegDecoded) {
    // Decoded at build time, the window's banner keeps every pixel of the decoded file.
    const QImage decoded = DecodedBanner().convertToFormat(QImage::Format_RGB32);
    const lexfall::artwork::Pixels shown = lexfall::artwork::BannerPixels();
    ASSERT_EQ(shown.width, decoded.width());
    ASSERT_EQ(shown.height, decoded.height());
    for (int y = 0; y < shown.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(decoded.constScanLine(y));
        ASSERT_TRUE(std::equal(row, row + shown.width, shown.data + y * shown.width)) << y;
    }
}

TEST(JpegImageTest, DecodedBannerShowsTheDesign) {
    // Sky at the left edge, a white "Lex", amber tiles: the colours survive the lossy encoding.
    const QImage image = DecodedBanner();
    ASSERT_FALSE(image.isNull());

    EXPECT_TRUE(Near(Mean(image, {0, 2, 8, 46}), banner::kSkyLeft, 12));

    int brightest = 0;
    for (int y = 8; y < banner::kNameBaseline; ++y)
        for (int x = banner::kNameLeft; x < banner::kNameLeft + 20; ++x)
            brightest = std::max(brightest, image.pixelColor(x, y).lightness());
    EXPECT_GE(brightest, 235);

    // A strip inside each landed tile, between its border and its letter.
    for (int i = 0; i < static_cast<int>(banner::kLandedLetters.size()); ++i) {
        const banner::Box tile = banner::LandedTile(i);
        const QColor face = Mean(image, {tile.left + 2, tile.top + 12, 2, 8});
        SCOPED_TRACE(i);
        EXPECT_TRUE(Between(face.red(), banner::kTileLight.r, banner::kTileDark.r, 20));
        EXPECT_TRUE(Between(face.green(), banner::kTileLight.g, banner::kTileDark.g, 20));
        EXPECT_TRUE(Between(face.blue(), banner::kTileLight.b, banner::kTileDark.b, 20));
    }
}

TEST(JpegImageTest, DamagedInputGivesNullImage) {
    // Whatever is wrong with the bytes, the answer is "no picture", never a crash.
    const auto jpeg = lexfall::artwork::BannerJpeg();
    const std::vector<unsigned char> good(jpeg.data, jpeg.data + jpeg.size);
    const auto png = lexfall::artwork::IconPngs().front().png;

    std::vector<unsigned char> badFrame = good;
    // The frame header's sample precision: libjpeg only decodes 8-bit samples here.
    const unsigned char startOfFrame[] = {0xff, 0xc0};
    const auto sof =
        std::search(good.begin(), good.end(), std::begin(startOfFrame), std::end(startOfFrame));
    ASSERT_NE(sof, good.end());
    badFrame[static_cast<std::size_t>(sof - good.begin()) + 4] = 3;

    struct Case {
        const char* what;
        const unsigned char* data;
        std::size_t size;
    };
    const Case cases[] = {
        {"no bytes", nullptr, 0},
        {"empty", good.data(), 0},
        {"start marker only", good.data(), 2},
        {"a PNG file", png.data, png.size},
        {"cut in the middle", good.data(), good.size() / 2},
        {"end marker missing", good.data(), good.size() - 2},
        {"bad frame header", badFrame.data(), badFrame.size()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(DecodeJpeg(c.data, c.size).isNull());
    }
}

TEST(JpegImageTest, EveryTruncationGivesNullImage) {
    // Cutting the file anywhere, header included, is reported rather than half decoded.
    const auto jpeg = lexfall::artwork::BannerJpeg();
    for (std::size_t size = 0; size < jpeg.size; size += 23)
        ASSERT_TRUE(DecodeJpeg(jpeg.data, size).isNull()) << "cut at " << size;
}

TEST(JpegImageTest, IconComesInEightSquareSizes) {
    // The window icon offers 256 down to 16 pixels, each PNG exactly its stated size.
    const int expected[] = {256, 128, 96, 64, 48, 32, 24, 16};
    const auto icons = lexfall::artwork::IconPngs();
    ASSERT_EQ(icons.size(), std::size(expected));
    for (std::size_t i = 0; i < icons.size(); ++i) {
        SCOPED_TRACE(expected[i]);
        EXPECT_EQ(icons[i].size, expected[i]);
        const QImage image =
            QImage::fromData(icons[i].png.data, static_cast<int>(icons[i].png.size), "PNG");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(expected[i], expected[i]));
        EXPECT_TRUE(image.hasAlphaChannel());
        // The rounded corner is see-through (bar antialiasing); the middle of the tile is solid.
        EXPECT_LT(image.pixelColor(0, 0).alpha(), 32);
        EXPECT_EQ(image.pixelColor(expected[i] / 2, expected[i] * 3 / 4).alpha(), 255);
    }
}

TEST(JpegImageTest, TheIconsShownAreTheirPngsDecoded) {
    // Decoded at build time, the window's icons keep every pixel of their PNG files.
    const auto icons = lexfall::artwork::IconPngs();
    const auto shown = lexfall::artwork::IconPixels();
    ASSERT_EQ(shown.size(), icons.size());
    for (std::size_t i = 0; i < icons.size(); ++i) {
        SCOPED_TRACE(icons[i].size);
        const QImage decoded =
            QImage::fromData(icons[i].png.data, static_cast<int>(icons[i].png.size), "PNG")
                .convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(shown[i].width, decoded.width());
        ASSERT_EQ(shown[i].height, decoded.height());
        for (int y = 0; y < decoded.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(decoded.constScanLine(y));
            ASSERT_TRUE(std::equal(row, row + decoded.width(), shown[i].data + y * decoded.width()))
                << y;
        }
    }
}

} // namespace
