// SPDX-License-Identifier: GPL-3.0-or-later
// A history file, any bytes: reading it never fails, every game read is one the game could
// have written (its total is the game's own, its line reads back as the same game), and a line
// cut short adds no game.
#include "FuzzSupport.h"
#include "records/HistoryLine.h"

#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace lexfall;
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    const std::vector<PlayedGame> games = ParseHistory(text);
    FUZZ_CHECK(games.size() <= text.size() / 20 + 1);
    std::string written;
    for (const PlayedGame& game : games) {
        // The reader's quick check of the total agrees with the game's own computation.
        TScoreRec figures{};
        figures.UsedTime = game.seconds;
        figures.UsedLetters = game.letters;
        figures.CompletedWords = game.words;
        figures.Total = game.total;
        FUZZ_CHECK(IsValidRecord(figures));
        const std::string line = HistoryLine(game);
        FUZZ_CHECK(ParseHistoryLine(std::string_view(line).substr(0, line.size() - 1)) == game);
        written += line;
    }
    // What the game writes back holds the same games, and nothing else.
    FUZZ_CHECK(ParseHistory(written) == games);
    // A killed program leaves a prefix of a line: never a game of its own.
    if (!games.empty()) {
        const std::string line = HistoryLine(games.back());
        const std::size_t dropped = 2 + size % (line.size() - 2); // the end and 1 to all but 1 byte
        const std::string cut = written.substr(0, written.size() - dropped);
        FUZZ_CHECK(ParseHistory(cut).size() == games.size() - 1);
    }
    return 0;
}
