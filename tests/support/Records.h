// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Score records for tests: the total a record should hold, worked out here apart from the game's
// own code, valid records built on it, and a record's file bytes.
#include "records/ScoreRec.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lexfall::testing {

// The total of these figures, step by step: S = W^2, A = 60 S / L, B = 60 S / T, P = B A in
// 80-bit arithmetic, rounded to nearest with halves to even; then the low 32 bits of P plus W.
// No words score 0; no letters or no seconds score the words alone.
inline std::int32_t ExpectedTotal(std::int32_t words, std::int32_t letters, std::int32_t seconds) {
    if (words <= 0)
        return 0;
    std::int64_t product = 0;
    if (letters != 0 && seconds != 0) {
        const long double squared = static_cast<long double>(words) * words;
        const long double a = squared * 60 / letters;
        const long double b = squared * 60 / seconds;
        const long double p = b * a;
        if (std::fegetround() != FE_TONEAREST)
            throw std::logic_error("ExpectedTotal needs the default rounding mode");
        const long double rounded = std::nearbyint(p);
        if (std::fabs(rounded) >= 0x1p63L)
            throw std::invalid_argument("figures beyond the records tests use");
        product = static_cast<std::int64_t>(rounded);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(product) +
                                     static_cast<std::uint32_t>(words));
}

// A record holding only the three figures.
inline TScoreRec Figures(std::int32_t words, std::int32_t letters, std::int32_t seconds) {
    TScoreRec rec;
    rec.CompletedWords = words;
    rec.UsedLetters = letters;
    rec.UsedTime = seconds;
    return rec;
}

// A valid record: its total is the expected one of its figures.
inline TScoreRec ValidRecord(std::string_view name, std::int32_t time, std::int32_t letters,
                             std::int32_t words, double date = 45000.0 /* 2023-03-15 */) {
    TScoreRec rec{};
    SetRecordName(rec, name);
    rec.UsedTime = time;
    rec.UsedLetters = letters;
    rec.CompletedWords = words;
    rec.Total = ExpectedTotal(words, letters, time);
    rec.Date = date;
    return rec;
}

// The 45 bytes a record takes in the record file.
inline std::string RecordBytes(const TScoreRec& rec) {
    return std::string(reinterpret_cast<const char*>(&rec), sizeof rec);
}

} // namespace lexfall::testing
