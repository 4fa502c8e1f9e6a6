// SPDX-License-Identifier: GPL-3.0-or-later
// Every text the records page can show fits its label or wraps inside the page: no label runs
// past the page, into another label or under a button. New texts are covered as they come, since
// the below-the-grid texts are taken from the end-of-game rule itself.
#include "support/EndOfGameCases.h"
#include "support/FormFixture.h"
#include "support/Screenshot.h"

#include "records/EndOfGame.h"

#include <QPushButton>

#include <limits>
#include <set>

namespace lexfall::testing {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// The space a label's text takes where it stands, wrapped where the label wraps.
QRect TextRect(const QLabel* label) {
    if (label->wordWrap())
        return {label->pos(), QSize(label->width(), label->heightForWidth(label->width()))};
    return {label->pos(), label->sizeHint()};
}

// Every text below the grid: the end-of-game rule over records and games that break each
// figure of either record or none, with and without the clear key, AutoSave and a readable
// file; the automatic save's text appended where it comes.
std::set<std::string> BelowTheGridTexts() {
    const TScoreRec records[] = {kNoRecord, kMine, kWorld, kWorldOfTimeAndTotal,
                                 ValidRecord("Max", 1000, 1000, 100)};
    const TScoreRec games[] = {ValidRecord("Player1", 50, 12, 8), ValidRecord("Player1", 40, 15, 0),
                               ValidRecord("Player1", 2000, 2000, 200),
                               ValidRecord("Player1", 30, 5, 0), ValidRecord("Player1", 1, 1, 0)};
    std::set<std::string> texts;
    for (const TScoreRec& mine : records)
        for (const TScoreRec& world : records)
            for (TScoreRec game : games)
                for (int flags = 0; flags < 8; ++flags) {
                    game.Total = 0;
                    const EndOfGameVerdict verdict = EvaluateEndOfGame(
                        {game, mine, world, (flags & 1) != 0, (flags & 2) != 0, (flags & 4) == 0});
                    std::string text = verdict.text;
                    if (!verdict.savedText.empty())
                        text += "\r\r" + verdict.savedText;
                    texts.insert(text);
                }
    return texts;
}

class RecordsPageFit : public FormTest {
protected:
    void PrepareAppDir(const QString&) override {
        // The longest name the game keeps: 20 of the widest letter.
        dir.Put("Lexfall.ini", "[Register]\r\nUserName=" + std::string(25, 'W') + "\r\n");
        LayRecordFile(RecordBytes(kMine) + RecordBytes(kWorld));
    }

    // No shown label's text leaves the page, meets another's, or lies under a button.
    void ExpectEverythingFits(const std::string& what) {
        TForm1& f = Form();
        const QRect page(QPoint(0, 0), f.Records().PanelRecord->size());
        std::vector<const QLabel*> labels;
        for (const QLabel* label : f.Records().PanelRecord->findChildren<QLabel*>())
            if (label->isVisible() && !label->text().isEmpty())
                labels.push_back(label);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const QLabel* label = labels[i];
            const QRect text = TextRect(label);
            const std::string name = label->text().toStdString();
            EXPECT_TRUE(page.contains(text)) << what << ": \"" << name << "\" leaves the page";
            EXPECT_GE(label->width(), text.width()) << what << ": \"" << name << "\" is clipped";
            EXPECT_GE(label->height(), text.height()) << what << ": \"" << name << "\" is clipped";
            for (std::size_t j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(text.intersects(TextRect(labels[j])))
                    << what << ": \"" << name << "\" meets \"" << labels[j]->text().toStdString()
                    << "\"";
            for (const QPushButton* button : f.Records().PanelRecord->findChildren<QPushButton*>())
                EXPECT_FALSE(text.intersects(button->geometry()))
                    << what << ": \"" << name << "\" lies under " << button->text().toStdString();
        }
    }
};

TEST_F(RecordsPageFit, EveryTextFitsOrWrapsInsideThePage) {
    TForm1& f = Form();
    f.show();
    f.Button2Click(f.Button2);
    ExpectEverythingFits("start-up");

    // The widest figures a record can hold, and the ratios they make.
    // Not valid records: the page shows what a fetch or a damaged file brings.
    const auto record = [](const std::string& name, std::int32_t time, std::int32_t letters,
                           std::int32_t words) {
        TScoreRec rec = Figures(words, letters, time);
        SetRecordName(rec, name);
        rec.Total = kMin;
        rec.Date = 2958465.0; // 9999-12-31
        return rec;
    };
    // The widest last, for the picture.
    const TScoreRec extremes[] = {
        record("No Record", kMin, kMin, kMin),
        record("Alexandra Richardson", 59, 1, 9999999),
        record(std::string(20, 'M'), 1, 1, kMax),
        record(std::string(20, 'W'), kMax, kMax, 1),
    };
    for (const TScoreRec& rec : extremes) {
        f.SetUpGame().MyRecChanged(rec);
        f.SetUpGame().WorldRecChanged(rec);
        f.ShowMyRec();
        f.ShowWorldRec();
        ExpectEverythingFits("record " + RecordName(rec));
    }

    std::string tallest;
    for (const std::string& text : BelowTheGridTexts()) {
        f.SetBrokenText(text);
        ExpectEverythingFits(text);
        if (f.Records().LabelBroken->height() >= TextRect(f.Records().LabelBroken).height() &&
            text.size() > tallest.size())
            tallest = text;
    }
    f.SetBrokenText(tallest);
    SaveScreenshot(f, "records-page-longest.png");
}

} // namespace
} // namespace lexfall::testing
