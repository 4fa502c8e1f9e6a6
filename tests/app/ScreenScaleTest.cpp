// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a screen that scales. CTest runs this file at every scale factor a desktop
// offers (QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS); plain, it checks the unscaled window.
#include "support/FormFixture.h"
#include "support/Screenshot.h"

#include "app/Artwork.h"
#include "app/HistoryPage.h"
#include "app/TilePainter.h"

#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>

#include <cmath>

namespace lexfall::testing {
namespace {

// Empty when the two pictures are alike; else where and how many pixels differ.
std::string Differences(const QImage& shown, const QImage& expected) {
    if (shown.size() != expected.size())
        return "sizes differ";
    int count = 0;
    QPoint first;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, y) != expected.pixel(x, y) && count++ == 0)
                first = QPoint(x, y);
    if (count == 0)
        return {};
    return std::to_string(count) + " pixels, the first at " + std::to_string(first.x()) + "," +
           std::to_string(first.y());
}

class ScreenScale : public FormTest {
protected:
    qreal Ratio() { return Form().devicePixelRatioF(); }

    // Where a control's pixels are in a picture of the whole window.
    QRect DeviceRect(const QWidget* control) {
        const QPoint at = control->mapTo(&Form(), QPoint(0, 0));
        const qreal r = Ratio();
        auto px = [r](int v) { return static_cast<int>(std::floor(v * r + 0.5)); };
        return QRect(QPoint(px(at.x()), px(at.y())),
                     QPoint(px(at.x() + control->width()) - 1, px(at.y() + control->height()) - 1));
    }

    QImage Window() { return Form().grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Letters of each colour landed across the board, and one falling.
    void PlayAFewLetters() {
        random.numbers = {kD, kC, kA, kT, kS, kB, kE, kD, kA, kS, kC, kT};
        TForm1& f = Form();
        f.Button1Click(f.Button1);
        for (const int shift : {-3, -2, -1, 0, 1, 2, 3, -3, 0, 2}) {
            for (int step = 0; step < std::abs(shift); ++step)
                f.FormKeyDown(shift < 0 ? vk::Left : vk::Right, {});
            TickUntilLanded();
        }
        for (int i = 0; i < 3; ++i)
            f.Timer1Timer();
        f.FormKeyDown(vk::Left, {});
    }
};

// Every control of the pages lies whole inside the window, laid out in logical pixels.
TEST_F(ScreenScale, EveryPageLiesWholeInsideTheWindow) {
    TForm1& f = Form();
    EXPECT_EQ(f.centralWidget()->size(), QSize(505, 518));
    const QRect client = f.centralWidget()->rect();
    for (QWidget* page :
         {static_cast<QWidget*>(f.PanelGame), static_cast<QWidget*>(f.Records().PanelRecord),
          static_cast<QWidget*>(f.Options().PanelOptions),
          static_cast<QWidget*>(f.History().PanelHistory)})
        for (QWidget* control : page->findChildren<QWidget*>()) {
            if (control->window() != &f || !control->isVisibleTo(page))
                continue;
            SCOPED_TRACE(control->objectName().toStdString() + " " +
                         control->metaObject()->className());
            const QRect at(control->mapTo(f.centralWidget(), QPoint(0, 0)), control->size());
            EXPECT_TRUE(client.contains(at));
        }
    const QImage window = Window();
    EXPECT_EQ(window.size(), QSize(static_cast<int>(std::round(f.width() * Ratio())),
                                   static_cast<int>(std::round(f.height() * Ratio()))));
}

// The board, the falling letter and the preview are shown pixel for pixel as they were drawn,
// the letter exactly on a cell of the board: no seam, no gap, nothing resampled.
TEST_F(ScreenScale, PicturesAreShownPixelForPixel) {
    TForm1& f = Form();
    PlayAFewLetters();
    const QImage window = Window();
    EXPECT_EQ(Differences(window.copy(DeviceRect(f.Image2)), f.Image2->Image()), "");
    // The board as it must look: its picture with the falling letter's over it.
    QImage board = f.Image1->Image().convertToFormat(QImage::Format_RGB32);
    board.setDevicePixelRatio(1.0); // painted below in its own pixels
    const QImage sprite = f.Image3->Image();
    const QPoint cell = f.Image3->pos() - f.Image1->pos();
    const QPoint spriteAt = DeviceRect(f.Image3).topLeft() - DeviceRect(f.Image1).topLeft();
    EXPECT_EQ(spriteAt.x() % sprite.width(), 0);
    EXPECT_EQ(spriteAt.x() / sprite.width(), cell.x() / BlockSize);
    {
        QPainter painter(&board);
        painter.drawImage(QRect(spriteAt, sprite.size()), sprite, sprite.rect());
    }
    EXPECT_EQ(Differences(window.copy(DeviceRect(f.Image1)), board), "");
    const QByteArray scale = qgetenv("QT_SCALE_FACTOR");
    if (!scale.isEmpty())
        SaveScreenshot(f,
                       "main-page-at-" + std::to_string(qRound(scale.toDouble() * 100)) + ".png");
}

// At a whole ratio the banner is the drawing made for it, shown pixel for pixel.
TEST_F(ScreenScale, BannerIsDrawnForWholeRatios) {
    TForm1& f = Form();
    const qreal ratio = Ratio();
    if (ratio != std::floor(ratio))
        GTEST_SKIP() << "a fractional ratio shows the next larger drawing, fitted";
    QImage expected;
    if (ratio == 1.0) {
        const artwork::Pixels banner = artwork::BannerPixels();
        expected = QImage(reinterpret_cast<const uchar*>(banner.data), banner.width, banner.height,
                          banner.width * 4, QImage::Format_RGB32);
    } else {
        for (const artwork::ScaledPng& sharp : artwork::SharpBanners())
            if (sharp.scale == ratio)
                expected.loadFromData(sharp.png.data, static_cast<int>(sharp.png.size), "PNG");
    }
    ASSERT_FALSE(expected.isNull()) << "no banner drawn at " << ratio;
    EXPECT_EQ(expected.size(), QSize(505, 50) * ratio);
    EXPECT_EQ(Differences(Window().copy(DeviceRect(f.Image4)),
                          expected.convertToFormat(QImage::Format_RGB32)),
              "");
}

// The word list's frame has all four edges.
TEST_F(ScreenScale, WordListFrameIsWhole) {
    TForm1& f = Form();
    const QImage window = Window();
    const QRect list = DeviceRect(f.Memo1);
    const QRgb base = f.Memo1->palette().color(QPalette::Base).rgb();
    // An edge is drawn when one of its outer device pixels' lines is darker than the list
    // along its whole middle.
    auto drawn = [&](QPoint from, QPoint step, QPoint inward, int length) {
        for (int depth = 0; depth < 2; ++depth) {
            bool whole = true;
            for (int i = length / 10; i < length - length / 10 && whole; ++i) {
                const QPoint p = from + step * i + inward * depth;
                whole = qGray(window.pixel(p)) + 20 < qGray(base);
            }
            if (whole)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(drawn(list.topLeft(), {1, 0}, {0, 1}, list.width())) << "top";
    EXPECT_TRUE(drawn(list.bottomLeft(), {1, 0}, {0, -1}, list.width())) << "bottom";
    EXPECT_TRUE(drawn(list.topLeft(), {0, 1}, {1, 0}, list.height())) << "left";
    EXPECT_TRUE(drawn(list.topRight(), {0, 1}, {-1, 0}, list.height())) << "right";
}

// The window keeps the size of its layout: no maximising, no resizing.
TEST_F(ScreenScale, WindowKeepsItsSize) {
    TForm1& f = Form();
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
}

// The share of a letter's inked pixels that are part-ink (its antialiased edge). Drawn at a
// larger ratio the edge is as thin as at 1 while the letter grows, so the share falls; a letter
// stretched from 1 keeps it (pixels doubled) or raises it (smoothed).
double EdgeShare(const QImage& tile, const QRect& inside, QRgb ink) {
    int inked = 0, edge = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb p = tile.pixel(x, y);
            if (p == qRgb(255, 255, 255))
                continue;
            ++inked;
            edge += p != ink;
        }
    return inked == 0 ? 1.0 : static_cast<double>(edge) / inked;
}

// Letters are drawn at the screen's ratio, as hard-edged as at 1.
TEST(TilePictures, LettersAreDrawnAtTheRatioNotStretched) {
    const Rgb colour = GroupColour(LetterGroup{});
    const QRgb ink = qRgb(colour.r, colour.g, colour.b);
    auto preview = [](qreal ratio, char letter) {
        const int side = static_cast<int>(std::round(100 * ratio));
        QImage image(side, side, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        tiles::DrawPreviewTile(image, letter, GroupColour(LetterGroup{}));
        return image;
    };
    for (char letter : {'W', 'A', 'E', 'S'}) {
        const auto inside = [](qreal r) {
            const int from = static_cast<int>(std::round(34 * r));
            return QRect(from, from, static_cast<int>(std::round(32 * r)),
                         static_cast<int>(std::round(32 * r)));
        };
        const double atOne = EdgeShare(preview(1.0, letter), inside(1.0), ink);
        for (qreal ratio : {1.5, 2.0}) {
            SCOPED_TRACE(std::string(1, letter) + " at " + std::to_string(ratio));
            const QImage tile = preview(ratio, letter);
            ASSERT_EQ(tile.size(),
                      QSize(static_cast<int>(100 * ratio), static_cast<int>(100 * ratio)));
            EXPECT_LT(EdgeShare(tile, inside(ratio), ink), 0.85 * atOne);
        }
    }
}

// Every tile of a picture is alike: the gold frame as thick on each side at every ratio.
TEST(TilePictures, FrameIsEvenAtEveryRatio) {
    for (qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        SCOPED_TRACE(ratio);
        const int side = static_cast<int>(std::round(100 * ratio));
        QImage preview(side, side, QImage::Format_RGB32);
        preview.setDevicePixelRatio(ratio);
        preview.fill(Qt::black);
        tiles::DrawPreviewTile(preview, 'I', GroupColour(LetterGroup{}));
        const int cell = static_cast<int>(std::round(40 * ratio));
        const int from = static_cast<int>(std::floor(30 * ratio + 0.5));
        const QRgb gold = qRgb(255, 215, 0);
        // Gold runs counted from each side along the tile's middle row and column.
        auto run = [&](int x, int y, int dx, int dy) {
            while (preview.pixel(x, y) != gold)
                x += dx, y += dy;
            int n = 0;
            for (; preview.pixel(x, y) == gold; x += dx, y += dy)
                ++n;
            return n;
        };
        const int mid = from + cell / 2;
        const int top = run(mid, from, 0, 1);
        EXPECT_GE(top, 1);
        EXPECT_EQ(run(mid, from + cell - 1, 0, -1), top);
        EXPECT_EQ(run(from, mid, 1, 0), top);
        EXPECT_EQ(run(from + cell - 1, mid, -1, 0), top);
    }
}

} // namespace
} // namespace lexfall::testing
