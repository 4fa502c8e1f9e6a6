// SPDX-License-Identifier: GPL-3.0-or-later
// The ten best and the last hundred: ranks by total, ties by the earlier game; games with the
// board cleared are counted but neither ranked nor averaged.
#include "records/HistorySummary.h"

#include <gtest/gtest.h>

#include <vector>

namespace lexfall {
namespace {

PlayedGame Game(std::int64_t endedAt, std::int32_t total, bool cleared = false) {
    PlayedGame game;
    game.endedAt = endedAt;
    game.total = total;
    game.words = total; // tells equal totals apart in a failure
    game.cleared = cleared;
    return game;
}

TEST(HistorySummary, TenBestByTotalThenEarlierEnd) {
    std::vector<PlayedGame> games;
    // Fifteen games, totals 0..14 spread out of order, and three games of total 12: the file
    // is not always in time order (another copy of the game wrote between).
    for (int i = 0; i < 15; ++i)
        games.push_back(Game(1000 + i, (i * 7) % 15));
    games.push_back(Game(500, 12));      // earliest of the 12s
    games.push_back(Game(2000, 12));     // latest
    games.push_back(Game(1, 100, true)); // cleared: never among the best
    const HistorySummary summary = Summarise(games);
    EXPECT_EQ(summary.games, 18u);
    ASSERT_EQ(summary.best.size(), 10u);
    std::vector<std::int32_t> totals;
    for (const PlayedGame& game : summary.best)
        totals.push_back(game.total);
    EXPECT_EQ(totals, (std::vector<std::int32_t>{14, 13, 12, 12, 12, 11, 10, 9, 8, 7}));
    // i*7%15 == 12 at i = 6 (ended 1006).
    EXPECT_EQ(summary.best[2].endedAt, 500);
    EXPECT_EQ(summary.best[3].endedAt, 1006);
    EXPECT_EQ(summary.best[4].endedAt, 2000);
}

TEST(HistorySummary, EqualGamesKeepTheOrderPlayed) {
    PlayedGame a = Game(7, 50);
    PlayedGame b = Game(7, 50);
    b.seconds = 1;
    const HistorySummary summary = Summarise({a, b});
    EXPECT_EQ(summary.best, (std::vector<PlayedGame>{a, b}));
}

TEST(HistorySummary, AverageAndMedianOfTheLastHundredPlayed) {
    std::vector<PlayedGame> games;
    for (int i = 0; i < 50; ++i)
        games.push_back(Game(i, 100000)); // older than the last hundred
    for (int i = 1; i <= 100; ++i) {
        games.push_back(Game(100 + i, i));
        games.push_back(Game(100 + i, 999999, true)); // cleared ones are left out
    }
    const HistorySummary summary = Summarise(games);
    EXPECT_EQ(summary.recentCount, 100u);
    EXPECT_EQ(*summary.recentAverage, 50.5L);
    EXPECT_EQ(*summary.recentMedian, 50.5L);

    const HistorySummary odd = Summarise({Game(1, 10), Game(2, 3), Game(3, 1000)});
    EXPECT_EQ(odd.recentCount, 3u);
    EXPECT_EQ(*odd.recentMedian, 10.0L);
    EXPECT_EQ(*odd.recentAverage, 1013.0L / 3.0L);
}

TEST(HistorySummary, NothingToRankOrAverage) {
    for (const auto& games :
         {std::vector<PlayedGame>{}, std::vector<PlayedGame>{Game(1, 5, true)}}) {
        const HistorySummary summary = Summarise(games);
        EXPECT_EQ(summary.games, games.size());
        EXPECT_TRUE(summary.best.empty());
        EXPECT_FALSE(summary.recentAverage.has_value());
        EXPECT_FALSE(summary.recentMedian.has_value());
    }
}

} // namespace
} // namespace lexfall
