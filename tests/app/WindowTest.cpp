// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FormFixture.h"
#include "support/Records.h"

#include "app/FormStyle.h"

#include "app/TilePainter.h"
#include "online/ServerAddress.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QStyle>

#include <algorithm>
#include <vector>

namespace lexfall::testing {
namespace {

class Window : public FormTest {};

// After start-up the game page is in front and the records page is filled.
TEST_F(Window, StartUpShowsTheGamePageAndFillsTheRecordsPage) {
    TForm1& f = Form();
    EXPECT_EQ(f.windowTitle(), "Lexfall");
    EXPECT_EQ(f.centralWidget()->size(), QSize(505, 518));
    EXPECT_EQ(f.contentsMargins(), QMargins(8, 8, 8, 8));
    EXPECT_FALSE(f.PanelGame->isHidden());
    EXPECT_TRUE(f.PanelGame->isEnabled());
    for (QFrame* page : {f.Records().PanelRecord, f.Options().PanelOptions}) {
        EXPECT_TRUE(page->isHidden());
        EXPECT_FALSE(page->isEnabled());
    }
    EXPECT_EQ(f.Records().Label1->text(), "2026-12-10");
    EXPECT_EQ(f.Records().MyScore[FigureRow::Keeper]->text(), "Player1");
    for (QPushButton* button : {f.Records().Button5, f.Records().Button8, f.Records().Button9})
        EXPECT_TRUE(style::OwnEnabled(button));
    EXPECT_TRUE(style::OwnEnabled(f.Button1));
    EXPECT_TRUE(f.Image3->Transparent());
    EXPECT_EQ(f.Image1->Image().pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(f.Image1->Image().pixel(319, 399), qRgb(0, 0, 0));
}

// The start makes only the game page. The records page, made later, shows what the start-up
// read and the date it started on, also when it is first opened after midnight.
TEST_F(Window, StartUpMakesOnlyTheGamePageAndTheOthersShowWhatItRead) {
    const TScoreRec mine = ValidRecord("Mine", 300, 40, 5, 46300.0);
    LayRecordFile(RecordBytes(mine) + RecordBytes(ValidRecord("World", 200, 60, 8, 46200.0)));
    TForm1& f = Form();
    QStringList captions;
    for (const QPushButton* button : f.findChildren<QPushButton*>())
        captions << button->text();
    EXPECT_EQ(captions, QStringList({"&Start", "&Records"}));
    EXPECT_TRUE(f.findChildren<QCheckBox*>().isEmpty());
    EXPECT_TRUE(f.findChildren<QLineEdit*>().isEmpty());

    clock.today += 1;
    f.Button2->click();
    const RecordsPage& page = f.Records();
    EXPECT_FALSE(page.PanelRecord->isHidden());
    EXPECT_EQ(page.Label1->text(), "2026-12-10");
    EXPECT_EQ(page.MyRecord[FigureRow::Keeper]->text(), "Mine");
    EXPECT_EQ(page.MyRecord[FigureRow::Total]->text(), QString::number(mine.Total));
    EXPECT_EQ(page.WRecord[FigureRow::Keeper]->text(), "World");
    EXPECT_EQ(page.WRecord[FigureRow::Words]->text(), "8");
    EXPECT_EQ(page.MyScore[FigureRow::Keeper]->text(), "Player1");
    for (QPushButton* button : {page.Button5, page.Button8, page.Button9})
        EXPECT_TRUE(style::OwnEnabled(button));
}

// Every caption shows whole: each label is at least as large as its text needs, and each
// button's and check box's text fits beside its frame or box.
TEST_F(Window, EveryCaptionFitsItsControl) {
    TForm1& f = Form();
    f.Records();
    f.Options();
    f.History();
    for (QLabel* label : f.findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_GE(label->width(), label->sizeHint().width());
        EXPECT_GE(label->height(), label->sizeHint().height());
    }
    for (QAbstractButton* button : f.findChildren<QAbstractButton*>()) {
        QString text = button->text();
        if (text.isEmpty())
            continue;
        SCOPED_TRACE(text.toStdString());
        text.remove('&');
        const QStyle* style = button->style();
        int chrome = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        if (qobject_cast<QCheckBox*>(button))
            chrome = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button) +
                     style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
        const QFontMetrics metrics = button->fontMetrics();
        EXPECT_GE(button->width(), metrics.horizontalAdvance(text) + chrome);
        EXPECT_GE(button->height(), metrics.height());
    }
}

// The three pages and the about box: a lowered outer bevel (shadow at the top and left, light
// at the bottom and right) around a raised inner one (the other way round).
TEST_F(Window, PagesHaveALoweredOuterAndARaisedInnerBevel) {
    TForm1& f = Form();
    for (QFrame* panel :
         {f.PanelGame, f.Records().PanelRecord, f.Options().PanelOptions, f.Options().PanelAbout}) {
        SCOPED_TRACE(panel == f.Options().PanelAbout ? "about box" : "page");
        const QImage picture = panel->grab().toImage();
        const QRgb shadow = panel->palette().color(QPalette::Dark).rgb();
        const QRgb light = panel->palette().color(QPalette::Light).rgb();
        ASSERT_NE(shadow, light);
        const int w = picture.width(), h = picture.height();
        EXPECT_EQ(picture.pixel(w / 2, 0), shadow);
        EXPECT_EQ(picture.pixel(0, h / 2), shadow);
        EXPECT_EQ(picture.pixel(w / 2, 1), light);
        EXPECT_EQ(picture.pixel(1, h / 2), light);
        EXPECT_EQ(picture.pixel(w / 2, h - 1), light);
        EXPECT_EQ(picture.pixel(w - 1, h / 2), light);
        EXPECT_EQ(picture.pixel(w / 2, h - 2), shadow);
        EXPECT_EQ(picture.pixel(w - 2, h / 2), shadow);
    }
}

// The four ways between the pages, and no others.
TEST_F(Window, PageNavigation) {
    TForm1& f = Form();
    auto shown = [&] {
        std::vector<QFrame*> pages;
        for (QFrame* page : {f.PanelGame, f.Records().PanelRecord, f.Options().PanelOptions})
            if (!page->isHidden() && page->isEnabled())
                pages.push_back(page);
        return pages;
    };
    // Clicked, so the pages made after the start are wired as well.
    f.Button2->click();
    EXPECT_EQ(shown(), std::vector<QFrame*>{f.Records().PanelRecord});
    f.Records().Button6->click();
    EXPECT_EQ(shown(), std::vector<QFrame*>{f.Options().PanelOptions});
    f.Options().Button7->click();
    EXPECT_EQ(shown(), std::vector<QFrame*>{f.PanelGame});
    f.Button2->click();
    f.Records().Button3->click();
    EXPECT_EQ(shown(), std::vector<QFrame*>{f.PanelGame});
    // Each page's buttons live on that page only.
    EXPECT_EQ(f.Button2->parentWidget(), f.PanelGame);
    EXPECT_EQ(f.Records().Button6->parentWidget(), f.Records().PanelRecord);
    EXPECT_EQ(f.Options().Button7->parentWidget(), f.Options().PanelOptions);
}

// The first frame carries the icon sizes a title bar and a task bar show; the larger ones
// follow, and then every size drawn is there.
TEST_F(Window, IconGoesWithTheFirstFrameInItsSmallSizesAndThenWhole) {
    TForm1& f = Form();
    const auto sizes = [&] {
        std::vector<int> widths;
        for (const QSize& size : f.windowIcon().availableSizes())
            widths.push_back(size.width());
        std::sort(widths.begin(), widths.end());
        return widths;
    };
    EXPECT_EQ(sizes(), (std::vector<int>{16, 24, 32, 48}));
    f.CompleteWindowIcon();
    EXPECT_EQ(sizes(), (std::vector<int>{16, 24, 32, 48, 64, 96, 128, 256}));
}

TEST_F(Window, LinksOpenTheWebSiteAndANewMail) {
    TForm1& f = Form();
    f.Image4Click();
    f.LabelURLClick();
    f.LabelEmailClick();
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0], links[1]);
    EXPECT_EQ(links[0].rfind("https://", 0), 0u);
    EXPECT_EQ(links[2], std::string("mailto:") + SupportMail);
}

// The preview tile: white, gold frame on columns and rows 31 and 68, white margin at 30 and
// 69, letter in its group colour, everything around it black.
TEST_F(Window, PreviewTilePixels) {
    random.numbers = {kD};
    TForm1& f = Form();
    const QImage& preview = f.Image2->Image();
    const QRgb gold = qRgb(255, 215, 0);
    const QRgb white = qRgb(255, 255, 255);
    for (int i = 31; i <= 68; ++i) {
        EXPECT_EQ(preview.pixel(i, 31), gold);
        EXPECT_EQ(preview.pixel(i, 68), gold);
        EXPECT_EQ(preview.pixel(31, i), gold);
        EXPECT_EQ(preview.pixel(68, i), gold);
    }
    for (int i = 30; i <= 69; ++i) {
        EXPECT_EQ(preview.pixel(i, 30), white);
        EXPECT_EQ(preview.pixel(30, i), white);
        EXPECT_EQ(preview.pixel(i, 69), white);
        EXPECT_EQ(preview.pixel(69, i), white);
    }
    int black = 0;
    int green = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inTile = x >= 30 && x < 70 && y >= 30 && y < 70;
            if (!inTile)
                black += preview.pixel(x, y) == qRgb(0, 0, 0);
            else
                green += preview.pixel(x, y) == qRgb(0, 100, 0);
        }
    EXPECT_EQ(black, 100 * 100 - 40 * 40) << "the surround stays black";
    EXPECT_GT(green, 20) << "D is drawn in dark green";
}

TEST(CentreOffset, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(30 + tiles::CentreOffset(40, 17), 42); // 11.5 -> 12
    EXPECT_EQ(30 + tiles::CentreOffset(40, 19), 40); // 10.5 -> 10
    EXPECT_EQ(tiles::CentreOffset(40, 20), 10);
    EXPECT_EQ(tiles::CentreOffset(40, 41), 0);  // -0.5 -> 0
    EXPECT_EQ(tiles::CentreOffset(40, 43), -2); // -1.5 -> -2
}

// A word's cells go black and the strip above moves one cell down, in the picture alone.
TEST(ClearWordCells, CopiesTheStripAboveOneCellDown) {
    QImage board(320, 400, QImage::Format_RGB32);
    board.fill(Qt::black);
    board.setPixel(45, 285, qRgb(1, 2, 3)); // column 1, row 7
    board.setPixel(45, 325, qRgb(9, 9, 9)); // the word's row 8
    tiles::ClearWordCells(board, 1, 3, 8);
    EXPECT_EQ(board.pixel(45, 325), qRgb(1, 2, 3));
    EXPECT_EQ(board.pixel(45, 285), qRgb(0, 0, 0));
}

} // namespace
} // namespace lexfall::testing

namespace lexfall::testing {
namespace {

// Closing the window, also in the middle of a game, writes nothing.
TEST_F(Window, ClosingMidGameWritesNothing) {
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    f.Timer2Timer();
    QDir folder(QString::fromStdString(appDir));
    const auto snapshot = [&] {
        std::vector<std::pair<QString, QByteArray>> files;
        for (const QFileInfo& info : folder.entryInfoList(QDir::Files)) {
            QFile file(info.filePath());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            files.emplace_back(info.fileName(), file.readAll());
        }
        return files;
    };
    const auto before = snapshot();
    f.close();
    form.reset();
    EXPECT_EQ(snapshot(), before);
}

} // namespace
} // namespace lexfall::testing
