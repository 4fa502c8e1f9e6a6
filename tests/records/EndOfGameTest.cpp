// SPDX-License-Identifier: GPL-3.0-or-later
// The end of a game as a rule: which figures broke which record, the text below the grid, its
// colour, and whether Save Rec is offered or run.
#include "records/EndOfGame.h"
#include "support/EndOfGameCases.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace lexfall {
namespace {

using testing::kCantSave;
using testing::kDontForget;
using testing::kMine;
using testing::kNoRecord;
using testing::kSavedAutomatically;
using testing::kWorld;
using testing::kWorldOfTimeAndTotal;
using testing::kWorlds;
using testing::kYours;
using testing::ValidRecord;

const TScoreRec kBoth = ValidRecord("Bob", 30, 40, 10); // total 30010

// 'R' a world record, 'G' an own record, 'k' none: the colours the window paints.
char Letter(Broken broken) {
    return broken == Broken::World ? 'R' : broken == Broken::Own ? 'G' : 'k';
}

std::string Letters(const EndOfGameVerdict& verdict) {
    std::string letters;
    for (const Broken broken : verdict.figures)
        letters += Letter(broken);
    return letters;
}

struct Case {
    const char* name;
    std::int32_t time, letters, words;
    TScoreRec mine, world;
    bool cheated, autoSave;
    std::int32_t total;
    const char* figures; // time, letters, words, total
    char banner;
    std::string text;
    SaveStep save;
    std::string savedText;
    bool recordsRead = true;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class EndOfGameRule : public ::testing::TestWithParam<Case> {};

TEST_P(EndOfGameRule, Verdict) {
    const Case& c = GetParam();
    TScoreRec game = ValidRecord("Player1", c.time, c.letters, c.words);
    game.Total = 0; // not yet computed when a game ends
    const EndOfGameVerdict verdict =
        EvaluateEndOfGame({game, c.mine, c.world, c.cheated, c.autoSave, c.recordsRead});
    EXPECT_EQ(verdict.total, c.total);
    EXPECT_EQ(Letters(verdict), c.figures);
    EXPECT_EQ(Letter(verdict.banner), c.banner);
    EXPECT_EQ(verdict.text, c.text);
    EXPECT_EQ(verdict.save, c.save);
    EXPECT_EQ(verdict.savedText, c.savedText);
}

INSTANTIATE_TEST_SUITE_P(
    EndOfGame, EndOfGameRule,
    ::testing::Values(
        // First game after a new record file, no word: time and letters are own records.
        Case{"FirstGameAgainstFreshRecords", 40, 15, 0, kNoRecord, kNoRecord, false, false, 0,
             "GGkk", 'G', kYours + "\r\r" + kCantSave, SaveStep::None, ""},
        // Figures equal to both records break nothing.
        Case{"TieBreaksNothing", 20, 40, 5, kMine, kMine, false, false, 2817, "kkkk", 'k', "",
             SaveStep::None, ""},
        // A world record of zeros counts as none: every figure falls through to the own one.
        Case{"ZeroWorldRecordIsNeverBroken", 40, 50, 8, kMine, kNoRecord, false, false, 7381,
             "GGGG", 'G', kYours, SaveStep::Offer, ""},
        Case{"WorldTimeAndTotalBrokenWithAutoSaveOff", 40, 20, 10, kBoth, kBoth, false, false,
             45010, "RkkR", 'R', kWorlds + "\r\r" + kDontForget, SaveStep::Offer, ""},
        // The congratulation follows the first broken figure; the colour ends red.
        Case{"OwnTimeThenWorldTotalInOneEvaluation", 50, 12, 8, kMine, kWorld, false, false, 24584,
             "GkGR", 'R', kYours + "\r\r" + kDontForget, SaveStep::Offer, ""},
        // A world mark first: later own marks leave the colour red.
        Case{"WorldTimeThenOwnFiguresKeepTheLabelRed", 50, 30, 7, kMine, kWorldOfTimeAndTotal,
             false, false, 5769, "RkGG", 'R', kWorlds, SaveStep::Offer, ""},
        Case{"OnlyTheOwnTime", 30, 5, 0, kMine, kWorld, false, false, 0, "Gkkk", 'G',
             kYours + "\r\r" + kCantSave, SaveStep::None, ""},
        // AutoSave runs Save Rec without a question; only an own total says so afterwards.
        Case{"AutoSaveOwnTotal", 50, 12, 8, kMine, kNoRecord, false, true, 24584, "GkGG", 'G',
             kYours, SaveStep::Run, kSavedAutomatically},
        Case{"AutoSaveWorldTotal", 50, 12, 8, kMine, kWorldOfTimeAndTotal, false, true, 24584,
             "RkGR", 'R', kWorlds, SaveStep::Run, ""},
        // After the clear key nothing is saved, whatever AutoSave says; the texts tell why.
        Case{"CheatedOwnTotal", 50, 12, 8, kMine, kNoRecord, true, true, 24584, "GkGG", 'G',
             kYours + "\r\rBut, the cheating Record won't be saved.", SaveStep::None, ""},
        Case{"CheatedWorldTotal", 50, 12, 8, kMine, kWorldOfTimeAndTotal, true, true, 24584, "RkGR",
             'R', kWorlds + "\r\rBut, no cheating again.", SaveStep::None, ""},
        // With the file unread the game is measured against the records in memory; a save is
        // offered (Save Rec reads the file first) but never run unseen, and the text says so.
        Case{"UnreadFileWithAutoSaveOnlyOffers", 50, 12, 8, kMine, kNoRecord, false, true, 24584,
             "GkGG", 'G', kYours + "\r" + kRecordsUnreadSaveText, SaveStep::Offer, "", false},
        Case{"UnreadFileWorldTotalKeepsItsReminder", 50, 12, 8, kMine, kWorldOfTimeAndTotal, false,
             false, 24584, "RkGR", 'R',
             kWorlds + "\r\r" + kDontForget + "\r" + kRecordsUnreadSaveText, SaveStep::Offer, "",
             false},
        Case{"UnreadFileNothingBroken", 10, 5, 1, kMine, kWorld, false, true, 73, "kkkk", 'k',
             kRecordsUnreadText, SaveStep::None, "", false},
        Case{"UnreadFileCheated", 50, 12, 8, kMine, kNoRecord, true, false, 24584, "GkGG", 'G',
             kYours + "\r\rBut, the cheating Record won't be saved.\r" + kRecordsUnreadText,
             SaveStep::None, "", false}),
    [](const ::testing::TestParamInfo<Case>& test) { return test.param.name; });

} // namespace
} // namespace lexfall
