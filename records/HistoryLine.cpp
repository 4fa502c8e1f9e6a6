#include "records/HistoryLine.h"

#include "text/DayCount.h"
#include "text/Numbers.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace lexfall {

const char* const kHistoryFileName = "History.csv";
const char* const kHistoryHeader = "ended,seconds,letters,words,total,cleared";

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::size_t kFieldCount = 6;
constexpr std::size_t kTimeLength = 19; // yyyy-mm-ddThh:mm:ss

// Two or four digits at text[at]; -1 when any is not a digit.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::optional<std::int64_t> ParseTime(std::string_view text) {
    if (text.size() != kTimeLength || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const CivilDate date{Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2)};
    const int hour = Digits(text, 11, 2);
    const int minute = Digits(text, 14, 2);
    const int second = Digits(text, 17, 2);
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    const double days = DayCountFromCivil(date);
    // 2026-02-31 is no date: it would come back as March.
    const CivilDate back = CivilFromDayCount(days);
    if (back.month != date.month || back.day != date.day)
        return std::nullopt;
    return static_cast<std::int64_t>(days) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

} // namespace

PlayedGame PlayedGameOf(const TScoreRec& rec, bool cleared, double now) {
    return PlayedGame{
        .endedAt = std::llround(now * static_cast<double>(kSecondsPerDay)),
        .seconds = rec.UsedTime,
        .letters = rec.UsedLetters,
        .words = rec.CompletedWords,
        .total = rec.Total,
        .cleared = cleared,
    };
}

std::string HistoryLine(const PlayedGame& game) {
    // Floor division, so a time before 1899 still names its own day.
    std::int64_t days = game.endedAt / kSecondsPerDay;
    std::int64_t second = game.endedAt % kSecondsPerDay;
    if (second < 0) {
        second += kSecondsPerDay;
        --days;
    }
    const CivilDate date = CivilFromDayCount(static_cast<double>(days));
    char line[128];
    std::snprintf(line, sizeof line, "%04d-%02d-%02dT%02d:%02d:%02d,%d,%d,%d,%d,%d\n", date.year,
                  date.month, date.day, static_cast<int>(second / 3600),
                  static_cast<int>(second / 60 % 60), static_cast<int>(second % 60), game.seconds,
                  game.letters, game.words, game.total, game.cleared ? 1 : 0);
    return line;
}

std::optional<PlayedGame> ParseHistoryLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::array<std::string_view, kFieldCount> fields;
    std::size_t count = 0;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        if (count == kFieldCount)
            return std::nullopt;
        fields[count++] = line.substr(start, comma - start);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (count != kFieldCount)
        return std::nullopt;
    const auto endedAt = ParseTime(fields[0]);
    const auto seconds = text::ParseDigits(fields[1]);
    const auto letters = text::ParseDigits(fields[2]);
    const auto words = text::ParseDigits(fields[3]);
    std::int32_t total = 0;
    if (!endedAt || !seconds || !letters || !words || !text::ParseWhole(fields[4], total) ||
        (fields[5] != "0" && fields[5] != "1"))
        return std::nullopt;
    TScoreRec figures{};
    figures.UsedTime = *seconds;
    figures.UsedLetters = *letters;
    figures.CompletedWords = *words;
    figures.Total = total;
    // A line cut short, or a figure changed by hand, no longer adds up.
    if (!IsValidRecord(figures))
        return std::nullopt;
    return PlayedGame{*endedAt, *seconds, *letters, *words, total, fields[5] == "1"};
}

std::vector<PlayedGame> ParseHistory(std::string_view text) {
    std::vector<PlayedGame> games;
    // About 40 bytes a line: one allocation for a file of any size.
    games.reserve(text.size() / 36 + 1);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (const auto game = ParseHistoryLine(text.substr(0, end)))
            games.push_back(*game);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return games;
}

std::string FormatPlayedDate(std::int64_t endedAt) {
    const std::int64_t days = endedAt >= 0 ? endedAt / kSecondsPerDay
                                           : -((-endedAt + kSecondsPerDay - 1) / kSecondsPerDay);
    return FormatIsoDate(static_cast<double>(days));
}

} // namespace lexfall
