// SPDX-License-Identifier: GPL-3.0-or-later
// The worst landings on the real dictionary: a full 8-letter run with no word in it (21
// lookups), and an 8-letter word cleared with every cell above it full.
#include "app/TilePainter.h"
#include "board/Board.h"
#include "platform/ThrowingDialogs.h"
#include "words/Dictionary.h"
#include "words/WordSearch.h"

#include <QImage>
#include <benchmark/benchmark.h>

#include <cstring>
#include <stdexcept>

namespace {

using namespace lexfall;

void FillRow(TChars& chars, int row, const char* letters) {
    for (int col = 0; col <= MaxCol; ++col)
        chars[col][row] = static_cast<std::uint8_t>(letters[col]);
}

void BM_LandingNoWord(benchmark::State& state) {
    ThrowingDialogs dialogs;
    Dictionary dictionary(LEXFALL_BIN_DIR "/", dialogs);
    dictionary.OpenDict();
    TChars chars{};
    FillRow(chars, MaxRow, "XQZJVKXQ");
    const TBlock landed{3, MaxRow, 'J'};
    for (auto _ : state) {
        auto found = FindWord(chars, landed, dictionary);
        benchmark::DoNotOptimize(found);
        if (found)
            state.SkipWithError("the run holds a word");
    }
    dictionary.CloseDict();
}
BENCHMARK(BM_LandingNoWord)->Unit(benchmark::kMicrosecond);

void BM_LandingClearsEightLetters(benchmark::State& state) {
    ThrowingDialogs dialogs;
    Dictionary dictionary(LEXFALL_BIN_DIR "/", dialogs);
    dictionary.OpenDict();
    TChars full{};
    for (int row = 1; row < MaxRow; ++row)
        FillRow(full, row, "ABCDEFGH");
    FillRow(full, MaxRow, "NOTEBOOK");
    QImage board(320, 400, QImage::Format_RGB32);
    board.fill(Qt::gray);
    const TBlock landed{7, MaxRow, 'K'};
    for (auto _ : state) {
        state.PauseTiming();
        TChars chars = full;
        state.ResumeTiming();
        const auto found = FindWord(chars, landed, dictionary);
        if (!found) {
            state.SkipWithError("NOTEBOOK not found");
            break;
        }
        tiles::ClearWordCells(board, found->StartCol, found->EndCol, landed.Row);
        ClearWordCells(chars, landed.Row, found->StartCol, found->EndCol);
        benchmark::DoNotOptimize(chars);
    }
    dictionary.CloseDict();
}
BENCHMARK(BM_LandingClearsEightLetters)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
