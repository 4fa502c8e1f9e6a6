// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/HistoryLine.h"

#include "text/DayCount.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace lexfall {

const char* const kHistoryFileName = "History.csv";
const char* const kHistoryHeader = "ended,seconds,letters,words,total,cleared";

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
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

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

using DayCache = HistoryDayCache;

// The day count of "yyyy-mm-dd" at the start of text.
std::optional<std::int64_t> ParseDay(std::string_view text, DayCache& cache) {
    const std::string_view dayText = text.substr(0, cache.text.size());
    if (cache.known && dayText == std::string_view(cache.text.data(), cache.text.size()))
        return cache.day;
    if (dayText[4] != '-' || dayText[7] != '-')
        return std::nullopt;
    const CivilDate date{Digits(dayText, 0, 4), Digits(dayText, 5, 2), Digits(dayText, 8, 2)};
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month))
        return std::nullopt;
    dayText.copy(cache.text.data(), cache.text.size());
    cache.known = true;
    cache.day = static_cast<std::int64_t>(DayCountFromCivil(date));
    return cache.day;
}

std::optional<std::int64_t> ParseTime(std::string_view text, DayCache& cache) {
    if (text.size() != kTimeLength || text[10] != 'T' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const auto day = ParseDay(text, cache);
    const int hour = Digits(text, 11, 2);
    const int minute = Digits(text, 14, 2);
    const int second = Digits(text, 17, 2);
    if (!day || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    return *day * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

std::optional<PlayedGame> ParseLine(std::string_view line, DayCache& cache);

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
    DayCache cache;
    return ParseLine(line, cache);
}

namespace {

// A whole figure that ends at the next comma (or the line's end), at most 32 bits; a '-' only
// where negative allows it. Moves the text past the figure and its comma.
bool TakeFigure(std::string_view& text, std::int32_t& value, bool negative = false) {
    std::size_t at = 0;
    const bool minus = negative && !text.empty() && text[0] == '-';
    at += minus ? 1 : 0;
    std::int64_t magnitude = 0;
    const std::size_t first = at;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > std::int64_t{1} << 31)
            return false;
    }
    const std::int64_t signedValue = minus ? -magnitude : magnitude;
    if (at == first || signedValue > std::numeric_limits<std::int32_t>::max() ||
        at == text.size() || text[at] != ',')
        return false;
    value = static_cast<std::int32_t>(signedValue);
    text.remove_prefix(at + 1);
    return true;
}

// Whether the stored total is TotalScore of the figures. TotalScore works in 80 bits and costs
// a few hundred nanoseconds, too much for a million lines, so most lines are settled in double
// precision: below 2^40 the two products differ by less than 0.001, so when the double one lies
// further than that from a half, both round to the same whole number. Only the rest, and every
// figure a real game never reaches, take the exact way.
bool TotalAddsUp(const PlayedGame& game) {
    constexpr double kLargest = 1099511627776.0; // 2^40
    constexpr double kMargin = 0.001;
    if (game.words > 0 && game.words < (1 << 20) && game.letters > 0 && game.seconds > 0) {
        const double square = static_cast<double>(game.words) * static_cast<double>(game.words);
        const double a = (square * 60.0) / static_cast<double>(game.letters);
        const double b = (square * 60.0) / static_cast<double>(game.seconds);
        const double product = b * a;
        const double below = std::floor(product);
        const double fraction = product - below;
        if (product < kLargest && std::abs(fraction - 0.5) > kMargin) {
            const auto rounded = static_cast<std::int64_t>(fraction > 0.5 ? below + 1 : below);
            const auto low = static_cast<std::uint32_t>(static_cast<std::uint64_t>(rounded));
            return game.total ==
                   static_cast<std::int32_t>(low + static_cast<std::uint32_t>(game.words));
        }
    }
    TScoreRec figures{};
    figures.UsedTime = game.seconds;
    figures.UsedLetters = game.letters;
    figures.CompletedWords = game.words;
    figures.Total = game.total;
    return IsValidRecord(figures);
}

// One pass over the line, with no copy: a million lines are read at each first look.
std::optional<PlayedGame> ParseLine(std::string_view line, DayCache& cache) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.size() <= kTimeLength || line[kTimeLength] != ',')
        return std::nullopt;
    const auto endedAt = ParseTime(line.substr(0, kTimeLength), cache);
    if (!endedAt)
        return std::nullopt;
    std::string_view rest = line.substr(kTimeLength + 1);
    PlayedGame game{};
    game.endedAt = *endedAt;
    if (!TakeFigure(rest, game.seconds) || !TakeFigure(rest, game.letters) ||
        !TakeFigure(rest, game.words) || !TakeFigure(rest, game.total, true) ||
        (rest != "0" && rest != "1"))
        return std::nullopt;
    game.cleared = rest == "1";
    // A figure changed by hand no longer adds up.
    if (!TotalAddsUp(game))
        return std::nullopt;
    return game;
}

} // namespace

void HistoryReader::Expect(std::size_t bytes) {
    // A file of something else entirely must not reserve its own size again.
    constexpr std::size_t kMostReserved = std::size_t{1} << 21;
    games_.reserve(std::min(bytes / 36 + 1, kMostReserved));
}

void HistoryReader::Take(std::string_view bytes) {
    // No line of ours is longer: a longer one is skipped without being kept whole.
    constexpr std::size_t kLongestLine = 128;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            if (!overlong_)
                partial_.append(bytes);
            if (partial_.size() > kLongestLine) {
                partial_.clear();
                overlong_ = true;
            }
            return;
        }
        if (overlong_) {
            overlong_ = false;
        } else if (partial_.empty()) {
            TakeLine(bytes.substr(0, end));
        } else {
            partial_.append(bytes.substr(0, end));
            TakeLine(partial_);
            partial_.clear();
        }
        bytes.remove_prefix(end + 1);
    }
}

std::vector<PlayedGame> HistoryReader::Finish() {
    // The last line needs no line end of its own.
    if (!partial_.empty())
        TakeLine(partial_);
    partial_.clear();
    overlong_ = false;
    return std::move(games_);
}

void HistoryReader::TakeLine(std::string_view line) {
    if (const auto game = ParseLine(line, dayCache_))
        games_.push_back(*game);
}

std::vector<PlayedGame> ParseHistory(std::string_view text) {
    HistoryReader reader;
    reader.Take(text);
    return reader.Finish();
}

std::string FormatPlayedDate(std::int64_t endedAt) {
    const std::int64_t days = endedAt >= 0 ? endedAt / kSecondsPerDay
                                           : -((-endedAt + kSecondsPerDay - 1) / kSecondsPerDay);
    return FormatIsoDate(static_cast<double>(days));
}

} // namespace lexfall
