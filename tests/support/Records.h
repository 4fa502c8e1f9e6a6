#pragma once
// Score records for tests: a valid record from its figures, and a record's file bytes.
#include "records/ScoreRec.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lexfall::testing {

// A record holding only the three figures.
inline TScoreRec Figures(std::int32_t words, std::int32_t letters, std::int32_t seconds) {
    TScoreRec rec;
    rec.CompletedWords = words;
    rec.UsedLetters = letters;
    rec.UsedTime = seconds;
    return rec;
}

// A valid record: its total is the score of its figures.
inline TScoreRec ValidRecord(std::string_view name, std::int32_t time, std::int32_t letters,
                             std::int32_t words, double date = 45000.0 /* 2023-03-15 */) {
    TScoreRec rec{};
    SetRecordName(rec, name);
    rec.UsedTime = time;
    rec.UsedLetters = letters;
    rec.CompletedWords = words;
    rec.Total = TotalScore(rec);
    rec.Date = date;
    return rec;
}

// The 45 bytes a record takes in the record file.
inline std::string RecordBytes(const TScoreRec& rec) {
    return std::string(reinterpret_cast<const char*>(&rec), sizeof rec);
}

} // namespace lexfall::testing
