// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "records/ScoreRec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexfall {

// One finished game as the history keeps it.
struct PlayedGame {
    // When it ended, local time: seconds since 30 December 1899, 00:00.
    std::int64_t endedAt = 0;
    std::int32_t seconds = 0;
    std::int32_t letters = 0;
    std::int32_t words = 0;
    std::int32_t total = 0;
    // The board was cleared with the clear key: never a record, nor one of the best.
    bool cleared = false;

    bool operator==(const PlayedGame&) const = default;
};

// The game of rec, ended at now (a day count whose fraction is the time of day).
PlayedGame PlayedGameOf(const TScoreRec& rec, bool cleared, double now);

// The history is a CSV file, one game a line under a header line:
//   ended,seconds,letters,words,total,cleared
//   2026-12-10T21:07:45,312,143,27,2156,0
// Comma-separated because no field can hold a comma or a decimal point, so any spreadsheet
// opens it as it stands; the time is ISO 8601 local time, which spreadsheets read as a date.
extern const char* const kHistoryFileName;
extern const char* const kHistoryHeader; // without the line end

// The game as one line, '\n' included.
std::string HistoryLine(const PlayedGame& game);

// A line without its end ("\n" or "\r\n" taken off). Nothing for the header, a foreign or
// damaged line, and a line cut short: the stored total must be the figures' total.
std::optional<PlayedGame> ParseHistoryLine(std::string_view line);

// Every game of a whole file, in file order; other lines are skipped without a word.
std::vector<PlayedGame> ParseHistory(std::string_view text);

// The day of the line before, which most lines share.
struct HistoryDayCache {
    std::array<char, 10> text{};
    bool known = false;
    std::int64_t day = 0;
};

// ParseHistory piece by piece, as a file is read: no copy of the whole file is kept.
class HistoryReader {
public:
    // Room for the games of a file of this many bytes.
    void Expect(std::size_t bytes);
    void Take(std::string_view bytes);
    // The games of everything taken, the last line included.
    std::vector<PlayedGame> Finish();

private:
    void TakeLine(std::string_view line);

    std::string partial_;   // a line that runs on into the next piece
    bool overlong_ = false; // the line being read is too long to be a game
    std::vector<PlayedGame> games_;
    HistoryDayCache dayCache_;
};

// "yyyy-mm-dd" of an end time, as every date on screen.
std::string FormatPlayedDate(std::int64_t endedAt);

} // namespace lexfall
