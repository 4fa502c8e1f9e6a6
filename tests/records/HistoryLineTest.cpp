// SPDX-License-Identifier: GPL-3.0-or-later
// The history's line format: what is written reads back as the same game, and every line that
// is not a whole game of ours is skipped.
#include "records/HistoryLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lexfall {
namespace {

constexpr std::int64_t kDay = 86400;
// 2026-12-10, as day count 46366.
constexpr std::int64_t kDecember10 = 46366 * kDay;

PlayedGame Game(std::int64_t endedAt, std::int32_t seconds, std::int32_t letters,
                std::int32_t words, bool cleared = false) {
    TScoreRec rec{};
    rec.UsedTime = seconds;
    rec.UsedLetters = letters;
    rec.CompletedWords = words;
    return PlayedGame{endedAt, seconds, letters, words, TotalScore(rec), cleared};
}

TEST(HistoryLine, WritesTheDocumentedForm) {
    const PlayedGame game = Game(kDecember10 + 21 * 3600 + 7 * 60 + 45, 312, 143, 27);
    EXPECT_EQ(HistoryLine(game),
              "2026-12-10T21:07:45,312,143,27," + std::to_string(game.total) + ",0\n");
    EXPECT_EQ(std::string(kHistoryHeader), "ended,seconds,letters,words,total,cleared");
}

TEST(HistoryLine, EveryGameReadsBackAsItself) {
    const PlayedGame games[] = {
        Game(kDecember10, 0, 0, 0),                             // ended before the first second
        Game(kDecember10 + kDay - 1, 40, 15, 0),                // one second before midnight
        Game(45351 * kDay + 12 * 3600, 48, 20, 5),              // 2024-02-29, a leap day
        Game(kDecember10, 600, 200, 40, true),                  // board cleared
        Game(2958465 * kDay + 3600, 2147483647, 2147483647, 1), // 9999-12-31, widest figures
        Game(2 * kDay, 1, 1, 2147483647),                       // 1900-01-01
    };
    for (const PlayedGame& game : games) {
        const std::string line = HistoryLine(game);
        SCOPED_TRACE(line);
        ASSERT_EQ(line.back(), '\n');
        const auto back = ParseHistoryLine(std::string_view(line).substr(0, line.size() - 1));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, game);
        // A spreadsheet saved on Windows ends its lines with "\r\n".
        EXPECT_EQ(ParseHistoryLine(line.substr(0, line.size() - 1) + "\r"), game);
    }
}

TEST(HistoryLine, EndTimeComesFromTheClocksDayCount) {
    TScoreRec rec{};
    rec.UsedTime = 61;
    const PlayedGame game = PlayedGameOf(rec, true, 46366.0 + 0.75); // 18:00
    EXPECT_EQ(HistoryLine(game), "2026-12-10T18:00:00,61,0,0,0,1\n");
}

// A killed program leaves the start of a line: no start of a line is a game.
TEST(HistoryLine, NoLineCutShortIsAGame) {
    const std::string line = HistoryLine(Game(kDecember10 + 3723, 312, 143, 27));
    for (std::size_t length = 0; length + 1 < line.size(); ++length)
        EXPECT_FALSE(ParseHistoryLine(line.substr(0, length)).has_value())
            << line.substr(0, length);
}

TEST(HistoryLine, ForeignAndDamagedLinesAreSkipped) {
    const std::string good = "2026-12-10T21:07:45,48,20,5,";
    const std::int32_t total = Game(0, 48, 20, 5).total;
    ASSERT_TRUE(ParseHistoryLine(good + std::to_string(total) + ",0"));
    const std::string lines[] = {
        kHistoryHeader,
        "",
        "not a game",
        good + std::to_string(total + 1) + ",0",                        // total off by one
        good + std::to_string(total) + ",2",                            // cleared neither 0 nor 1
        good + std::to_string(total) + ",0,",                           // a seventh field
        good + std::to_string(total),                                   // five fields
        "2026-12-10T21:07:45,-48,20,5,0,0",                             // negative seconds
        "2026-12-10T21:07:45, 48,20,5," + std::to_string(total) + ",0", // a blank
        "2026-02-30T21:07:45,0,0,0,0,0",                                // no such day
        "2026-13-10T21:07:45,0,0,0,0,0",                                // no such month
        "2026-12-10T24:00:00,0,0,0,0,0",                                // no such hour
        "2026-12-10 21:07:45,0,0,0,0,0",                                // not our time form
        "\"2026-12-10T21:07:45\",0,0,0,0,0",                            // quoted by a spreadsheet
        "2026-12-10T21:07:45,99999999999,0,0,0,0",                      // past 32 bits
        std::string("2026-12-10T21:07:45,0,0,0,0,0\0", 30),             // a NUL at the end
    };
    for (const std::string& line : lines)
        EXPECT_FALSE(ParseHistoryLine(line).has_value()) << line;
}

TEST(HistoryLine, AFileGivesItsGamesInOrder) {
    const PlayedGame first = Game(kDecember10, 48, 20, 5);
    const PlayedGame second = Game(kDecember10 + 60, 30, 9, 2, true);
    const PlayedGame third = Game(kDecember10 + 120, 100, 50, 9);
    const std::string text = std::string(kHistoryHeader) + "\n" + HistoryLine(first) +
                             "garbage\r\n\n" + HistoryLine(second) +
                             HistoryLine(third).substr(0, 25) + "\n" + HistoryLine(third) +
                             HistoryLine(first).substr(0, 30); // cut short by a kill
    EXPECT_EQ(ParseHistory(text), (std::vector<PlayedGame>{first, second, third}));
    EXPECT_TRUE(ParseHistory("").empty());
    // The last line needs no line end of its own.
    const std::string whole = HistoryLine(first);
    EXPECT_EQ(ParseHistory(whole.substr(0, whole.size() - 1)), std::vector<PlayedGame>{first});
}

// The reader checks totals in a quicker way than TotalScore: over a wide range of figures, also
// where the product lies near a half, it accepts the game's own total and nothing else.
TEST(HistoryLine, TotalsAreCheckedExactlyAsTheGameComputesThem) {
    int checked = 0;
    const auto check = [&](std::int32_t seconds, std::int32_t letters, std::int32_t words) {
        const PlayedGame game = Game(kDecember10, seconds, letters, words);
        std::string line = HistoryLine(game);
        line.pop_back();
        ASSERT_EQ(ParseHistoryLine(line), game) << line;
        // Wrapping, as a 32-bit register would, at the ends of the range.
        const auto total = static_cast<std::uint32_t>(game.total);
        for (const auto wrong :
             {static_cast<std::int32_t>(total - 1u), static_cast<std::int32_t>(total + 1u)}) {
            PlayedGame off = game;
            off.total = wrong;
            std::string offLine = HistoryLine(off);
            offLine.pop_back();
            ASSERT_FALSE(ParseHistoryLine(offLine).has_value()) << offLine;
        }
        ++checked;
    };
    for (std::int32_t words = 1; words <= 120; words += 7)
        for (std::int32_t letters = words * 3; letters <= words * 9; letters += 5)
            for (std::int32_t seconds = 1; seconds <= 3000; seconds += 37)
                check(seconds, letters, words);
    // Products of exactly a half, 3600 words^4 / (letters seconds), rounded to even.
    check(900, 8, 1);  // 0.5
    check(480, 5, 1);  // 1.5
    check(160, 15, 1); // 1.5
    check(100, 8, 1);  // 4.5
    check(8, 4, 1);    // 112.5
    check(32, 16, 2);  // 112.5
    // Figures past what a game reaches, where only the exact way is taken.
    check(2147483647, 2147483647, 2147483647);
    check(1, 1, 2000000);
    check(1, 1, 46341);
    EXPECT_GT(checked, 10000);
}

TEST(HistoryLine, DatesShowAsOnTheRecordsPage) {
    EXPECT_EQ(FormatPlayedDate(kDecember10), "2026-12-10");
    EXPECT_EQ(FormatPlayedDate(kDecember10 + kDay - 1), "2026-12-10");
}

} // namespace
} // namespace lexfall
