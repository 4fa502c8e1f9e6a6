// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "records/HistoryLine.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace lexfall {

// What the history page says about the games: the best ones and how the latest went. Games
// played with the board cleared are counted, but never ranked nor averaged.
struct HistorySummary {
    static constexpr std::size_t kBestCount = 10;
    static constexpr std::size_t kRecentCount = 100;

    std::size_t games = 0;
    // Highest total first; equal totals by the earlier end, then by the order played.
    std::vector<PlayedGame> best;
    // Of the last kRecentCount games not cleared; none before the first such game.
    std::optional<long double> recentAverage;
    std::optional<long double> recentMedian;
    std::size_t recentCount = 0;
};

HistorySummary Summarise(const std::vector<PlayedGame>& games);

// Whether a ranks above b among the best.
bool RanksAbove(const PlayedGame& a, const PlayedGame& b);

} // namespace lexfall
