// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lexfall {

// One game's figures, or a record to measure games against. The 45 bytes are also the
// layout of a slot of the record file, so the struct is packed and checked below.
#pragma pack(push, 1)
struct TScoreRec {
    std::uint8_t NameLength = 0; // 0 to 20 in every record the game writes
    char NameChars[20] = {};
    std::int32_t UsedTime = 0;       // seconds played
    std::int32_t UsedLetters = 0;    // letters that came to rest, the last one included
    std::int32_t CompletedWords = 0; // words taken off the board
    std::int32_t Total = 0;          // TotalScore of the three figures above
    double Date = 0.0;               // day count since 30 December 1899
};
#pragma pack(pop)

static_assert(sizeof(TScoreRec) == 45);
static_assert(offsetof(TScoreRec, NameLength) == 0);
static_assert(offsetof(TScoreRec, NameChars) == 1);
static_assert(offsetof(TScoreRec, UsedTime) == 21);
static_assert(offsetof(TScoreRec, UsedLetters) == 25);
static_assert(offsetof(TScoreRec, CompletedWords) == 29);
static_assert(offsetof(TScoreRec, Total) == 33);
static_assert(offsetof(TScoreRec, Date) == 37);

constexpr std::size_t kMaxNameLength = 20;

// The name as stored; a damaged length byte above 20 never reads past the 20 characters.
std::string RecordName(const TScoreRec& rec);
// Stores the first 20 characters of name.
void SetRecordName(TScoreRec& rec, std::string_view name);

std::int32_t TotalScore(const TScoreRec& rec);
// A record is valid when its stored Total equals TotalScore of its figures.
bool IsValidRecord(const TScoreRec& rec);
// Name from name, all figures 0, dated today.
void ClearRecord(TScoreRec& rec, std::string_view name, double today);

} // namespace lexfall
