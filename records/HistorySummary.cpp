// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/HistorySummary.h"

#include <algorithm>
#include <numeric>

namespace lexfall {

bool RanksAbove(const PlayedGame& a, const PlayedGame& b) {
    if (a.total != b.total)
        return a.total > b.total;
    return a.endedAt < b.endedAt;
}

HistorySummary Summarise(const std::vector<PlayedGame>& games) {
    HistorySummary summary;
    summary.games = games.size();

    // One pass keeps the best few in order; a stable insert leaves equal games in file order.
    for (const PlayedGame& game : games) {
        if (game.cleared)
            continue;
        auto& best = summary.best;
        if (best.size() == HistorySummary::kBestCount && !RanksAbove(game, best.back()))
            continue;
        best.insert(std::upper_bound(best.begin(), best.end(), game, RanksAbove), game);
        if (best.size() > HistorySummary::kBestCount)
            best.pop_back();
    }

    std::vector<long double> recent;
    for (auto it = games.rbegin();
         it != games.rend() && recent.size() < HistorySummary::kRecentCount; ++it)
        if (!it->cleared)
            recent.push_back(static_cast<long double>(it->total));
    summary.recentCount = recent.size();
    if (recent.empty())
        return summary;
    summary.recentAverage = std::accumulate(recent.begin(), recent.end(), 0.0L) /
                            static_cast<long double>(recent.size());
    std::sort(recent.begin(), recent.end());
    const std::size_t middle = recent.size() / 2;
    summary.recentMedian =
        recent.size() % 2 == 1 ? recent[middle] : (recent[middle - 1] + recent[middle]) / 2.0L;
    return summary;
}

} // namespace lexfall
