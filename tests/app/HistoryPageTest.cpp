// SPDX-License-Identifier: GPL-3.0-or-later
// The history page: a finished game shows there (and in the file beside the records), a new
// player reads a sentence instead of an empty chart, and a history file that cannot be written
// changes nothing of the end of a game.
#include "support/FormFixture.h"
#include "support/Records.h"
#include "support/Screenshot.h"

#include "app/FormStyle.h"
#include "app/HistoryChart.h"
#include "app/HistoryPage.h"
#include "records/Figures.h"
#include "records/HistoryFile.h"

#include <QImage>
#include <QPainter>

#include <filesystem>

namespace lexfall::testing {
namespace {

namespace fs = std::filesystem;

const TScoreRec kStored = ValidRecord("Alice", 60, 20, 3);
const TScoreRec kWorld = ValidRecord("Bob", 300, 200, 40);

class HistoryPageTest : public FormTest {
protected:
    void PrepareAppDir(const QString&) override {
        dir.Put("Dict.dll", kWordlessDict);
        LayRecordFile(RecordBytes(kStored) + RecordBytes(kWorld));
    }

    QString Cell(std::size_t row, HistoryPage::Column column) {
        return Form().History().Best[row][column]->text();
    }
};

TEST_F(HistoryPageTest, AFinishedGameAppearsOnThePage) {
    TForm1& f = Form();
    f.Button2Click(f.Button2);
    f.Records().Button10->click();
    HistoryPage& page = f.History();
    EXPECT_FALSE(page.PanelHistory->isHidden());
    EXPECT_TRUE(f.Records().PanelRecord->isHidden());
    // A new player: a sentence in the chart's place.
    EXPECT_FALSE(page.LabelEmpty->isHidden());
    EXPECT_TRUE(page.Chart->isHidden());
    EXPECT_EQ(page.LabelGames->text(), "Games played: 0");
    EXPECT_EQ(Cell(0, HistoryPage::Rank), "");

    page.Button12->click(); // on to the game
    EXPECT_FALSE(f.PanelGame->isHidden());
    clock.today = 46366.0; // 2026-12-10
    PlayGameWith(f, 48, 20, 5);
    const std::int32_t total = f.game().GameRec().Total;
    ASSERT_EQ(total, 2349);
    EXPECT_EQ(dir.Get(kHistoryFileName), std::string(kHistoryHeader) + "\n" +
                                             "2026-12-10T00:00:00,48,20,5," +
                                             std::to_string(total) + ",0\n");

    f.Records().Button10->click();
    EXPECT_EQ(Cell(0, HistoryPage::Rank), "1");
    EXPECT_EQ(Cell(0, HistoryPage::Total), QString::number(total));
    EXPECT_EQ(Cell(0, HistoryPage::Words), "5");
    EXPECT_EQ(Cell(0, HistoryPage::Letters), "20");
    EXPECT_EQ(Cell(0, HistoryPage::Seconds), "48");
    EXPECT_EQ(Cell(0, HistoryPage::Date), "2026-12-10");
    EXPECT_EQ(Cell(1, HistoryPage::Rank), "");
    EXPECT_EQ(page.LabelGames->text(), "Games played: 1");
    // Written as the records page writes its ratios.
    EXPECT_EQ(page.LabelRecent->text(), "Last 1 game: average 2,349.00, median 2,349.00");
    EXPECT_FALSE(page.Chart->isHidden());
    EXPECT_TRUE(page.LabelEmpty->isHidden());
    EXPECT_EQ(page.LabelNote->text(), "");

    page.Button11->click(); // back to the records
    EXPECT_FALSE(f.Records().PanelRecord->isHidden());
    EXPECT_TRUE(page.PanelHistory->isHidden());
}

// Figures and dates as the records page writes them in the player's locale.
TEST_F(HistoryPageTest, TheAverageFollowsTheLocale) {
    regional.decimalSeparator = ",";
    regional.thousandSeparator = ".";
    TForm1& f = Form();
    PlayGameWith(f, 48, 20, 5);
    PlayGameWith(f, 48, 20, 4);
    f.Records().Button10->click();
    const std::int32_t second = f.game().GameRec().Total;
    const long double average = (2349.0L + second) / 2;
    EXPECT_EQ(f.History().LabelRecent->text().toStdString(),
              "Last 2 games: average " + FormatRatio(average, regional) + ", median " +
                  FormatRatio(average, regional));
    EXPECT_NE(f.History().LabelRecent->text().indexOf(','), -1);
    EXPECT_EQ(Cell(0, HistoryPage::Total), "2349"); // whole figures are never grouped
    EXPECT_EQ(Cell(0, HistoryPage::Date), "2026-12-10");
}

// Page changes never pause a game, so one can end behind the history page.
TEST_F(HistoryPageTest, AGameEndingBehindThePageShowsTheRecords) {
    TForm1& f = Form();
    f.Button1Click(f.Button1);
    f.Button2Click(f.Button2);
    f.Records().Button10->click();
    // The game runs on behind the page, and ends.
    TScoreRec& figures = f.SetUpGame().FiguresToSetUp();
    figures.UsedTime = 30;
    f.SetUpGame().PutLetter(3, 1, 'E');
    f.Timer1Timer();
    EXPECT_TRUE(f.History().PanelHistory->isHidden());
    EXPECT_FALSE(f.Records().PanelRecord->isHidden());
    EXPECT_TRUE(f.PanelGame->isHidden());
    f.Records().Button10->click();
    EXPECT_EQ(f.History().LabelGames->text(), "Games played: 1");
}

// What the end of a game leaves: boxes, questions, texts, colours and the record file.
struct EndOfGame {
    std::vector<std::string> messages, questions;
    std::string broken;
    QColor brokenColour;
    bool saveEnabled;
    std::string recordFile;
    bool operator==(const EndOfGame&) const = default;
};

EndOfGame PlayWith(bool historyBlocked, bool autoSave) {
    ScratchDir dir;
    dir.Put("Dict.dll", kWordlessDict);
    dir.Put("Records.dat", RecordBytes(kStored) + RecordBytes(kWorld));
    dir.Put("Lexfall.ini", autoSave ? "[Options]\r\nAutoSave=1\r\n" : "");
    if (historyBlocked)
        fs::create_directory(dir.File(kHistoryFileName)); // no file can be made there
    TestServices services;
    TForm1 f(services.For(dir.Dir()));
    PlayGameWith(f, 100, 60, 10); // beats my record, not the world's
    const RecordsPage& page = f.Records();
    return {
        services.dialogs.messages,           services.dialogs.questions, f.BrokenText(),
        style::TextColour(page.LabelBroken), page.Button8->isEnabled(),  dir.Get("Records.dat")};
}

TEST_F(HistoryPageTest, AHistoryThatCannotBeWrittenChangesNothingOfTheEnd) {
    for (const bool autoSave : {false, true}) {
        SCOPED_TRACE(autoSave ? "AutoSave" : "no AutoSave");
        const EndOfGame kept = PlayWith(false, autoSave);
        EXPECT_EQ(PlayWith(true, autoSave), kept);
        EXPECT_TRUE(kept.messages.empty());
    }
    // The page says why nothing is kept.
    fs::create_directory(dir.File(kHistoryFileName));
    TForm1& f = Form();
    PlayGameWith(f, 100, 60, 10);
    f.Records().Button10->click();
    EXPECT_TRUE(f.History().LabelNote->text().contains("Your games are not being kept."));
    EXPECT_TRUE(f.History().LabelNote->text().contains(kHistoryFileName));
    EXPECT_EQ(f.History().LabelGames->text(), "Games played: 0");
}

// A few hundred games of a player who gets better, with a few played with the board cleared.
std::string FewHundredGames(int count) {
    std::string text = std::string(kHistoryHeader) + "\n";
    std::uint32_t seed = 12345;
    const auto next = [&](std::uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % range;
    };
    std::int64_t endedAt = 46300LL * 86400 + 18 * 3600;
    for (int i = 0; i < count; ++i) {
        const auto words = static_cast<std::int32_t>(3 + i / 25 + next(8));
        const auto letters = static_cast<std::int32_t>(words * 4 + 8 + next(20));
        const auto seconds = static_cast<std::int32_t>(90 + words * 7 + next(90));
        endedAt += 3600 + next(8 * 3600);
        TScoreRec rec = Figures(words, letters, seconds);
        text += HistoryLine({endedAt, seconds, letters, words, TotalScore(rec), next(40) == 0});
    }
    return text;
}

// The chart draws its points and its best line at every scale factor.
TEST_F(HistoryPageTest, AFewHundredGamesDrawAtEveryScale) {
    dir.Put(kHistoryFileName, FewHundredGames(300));
    TForm1& f = Form();
    f.show();
    f.Button2Click(f.Button2);
    f.Records().Button10->click();
    HistoryPage& page = f.History();
    EXPECT_EQ(page.LabelGames->text(), "Games played: 300");
    const std::vector<PlayedGame> games = ReadHistory(dir.Path());
    const HistorySummary summary = Summarise(games);
    EXPECT_EQ(Cell(0, HistoryPage::Total), QString::number(summary.best[0].total));
    EXPECT_EQ(Cell(9, HistoryPage::Rank), "10");
    EXPECT_TRUE(page.LabelRecent->text().startsWith("Last 100 games: average "));

    for (const qreal scale : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(scale);
        QImage image(page.Chart->size() * scale, QImage::Format_ARGB32);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        page.Chart->render(&image);
        int points = 0, best = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                // Antialiased edges blend with the white: the hue tells.
                const QColor c = image.pixelColor(x, y);
                points += c.blue() > c.red() + 60 && c.blue() > c.green() + 60;
                best += c.green() > c.red() + 60 && c.green() > c.blue() + 60;
            }
        // At least a pixel of each game, and a line across the chart.
        EXPECT_GE(points, 300 * 0.8 * scale);
        EXPECT_GE(best, page.Chart->width() * scale);
    }
    SaveScreenshot(f, "history-page.png");
    if (const char* folder = std::getenv("LEXFALL_SCREENSHOT_DIR"); folder && *folder) {
        QImage sharp(f.size() * 2, QImage::Format_ARGB32);
        sharp.setDevicePixelRatio(2);
        f.render(&sharp);
        sharp.save(QString(folder) + "/history-page@2x.png");
    }
}

} // namespace
} // namespace lexfall::testing
