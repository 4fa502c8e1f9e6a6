// SPDX-License-Identifier: GPL-3.0-or-later
// The history page's first opening on a million games: the whole file read and parsed
// (ReadHistory), what the page says about it (Summarise), and the page itself filled and its
// chart painted. Target: the read under 200 ms.
#include "app/HistoryChart.h"
#include "app/HistoryPage.h"
#include "bench/ScratchFolder.h"
#include "records/HistoryFile.h"
#include "records/HistorySummary.h"

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

using namespace lexfall;

constexpr int kGames = 1000000;

using bench::ScratchFolder;

// A million games of varied figures, a game every few minutes, as the game writes them.
void WriteMillionGames(const std::filesystem::path& folder) {
    std::ofstream out(folder / kHistoryFileName, std::ios::binary);
    out << kHistoryHeader << '\n';
    std::uint32_t seed = 1;
    std::int64_t endedAt = 40000LL * 86400;
    for (int i = 0; i < kGames; ++i) {
        seed = seed * 1103515245u + 12345u;
        TScoreRec rec{};
        rec.CompletedWords = static_cast<std::int32_t>(seed % 60);
        rec.UsedLetters = rec.CompletedWords * 4 + static_cast<std::int32_t>(seed >> 20) % 30 + 1;
        rec.UsedTime = 60 + static_cast<std::int32_t>(seed >> 12) % 900;
        endedAt += 180 + seed % 600;
        out << HistoryLine(
            {endedAt, rec.UsedTime, rec.UsedLetters, rec.CompletedWords, TotalScore(rec), false});
    }
}

void BM_ReadMillionGames(benchmark::State& state) {
    const ScratchFolder folder;
    WriteMillionGames(folder.Path());
    std::size_t games = 0;
    for (auto _ : state) {
        games = ReadHistory(folder.Path()).size();
        benchmark::DoNotOptimize(games);
    }
    if (games != kGames)
        state.SkipWithError("not every game was read");
    state.counters["file_MB"] =
        static_cast<double>(std::filesystem::file_size(folder.Path() / kHistoryFileName)) /
        (1024.0 * 1024.0);
}
BENCHMARK(BM_ReadMillionGames)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_SummariseMillionGames(benchmark::State& state) {
    const ScratchFolder folder;
    WriteMillionGames(folder.Path());
    const std::vector<PlayedGame> games = ReadHistory(folder.Path());
    for (auto _ : state)
        benchmark::DoNotOptimize(Summarise(games));
}
BENCHMARK(BM_SummariseMillionGames)->Unit(benchmark::kMillisecond)->Iterations(10);

// The whole first look: the file read, the page filled, and the page painted once.
void BM_FirstLookAtMillionGames(benchmark::State& state) {
    const ScratchFolder folder;
    WriteMillionGames(folder.Path());
    QWidget window;
    window.resize(505, 518);
    for (auto _ : state) {
        GameHistory history(folder.Path());
        HistoryPage page(&window);
        page.Show(history.Games(), history.Refusal(), RegionalSettings{});
        page.PanelHistory->show();
        QImage picture(page.PanelHistory->size(), QImage::Format_ARGB32_Premultiplied);
        page.PanelHistory->render(&picture);
        benchmark::DoNotOptimize(picture.constBits());
        delete page.PanelHistory;
    }
}
BENCHMARK(BM_FirstLookAtMillionGames)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    // Painted off screen: no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
