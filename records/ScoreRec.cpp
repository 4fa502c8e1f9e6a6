// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/ScoreRec.h"

#include "text/SystemText.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace lexfall {

// Stored totals are compared bit for bit, so the total must be computed in the 80-bit format.
static_assert(std::numeric_limits<long double>::digits == 64,
              "TotalScore needs long double with a 64-bit significand");

namespace {

constexpr long double kTwoPow63 = 9223372036854775808.0L;

// Nearest integer, an exact half to the even neighbour, whatever the FPU rounding mode is.
long double RoundHalfEven(long double value) {
    const long double below = std::floor(value);
    const long double fraction = value - below; // exact: the fraction of a float is representable
    if (fraction > 0.5L)
        return below + 1.0L;
    if (fraction < 0.5L)
        return below;
    return std::fmod(below, 2.0L) == 0.0L ? below : below + 1.0L;
}

// The rounded product as a signed 64-bit integer. A product that does not fit counts as 0,
// so the total of an absurd record is definite and no conversion is undefined.
std::int64_t RoundedProduct(std::int32_t words, std::int32_t letters, std::int32_t seconds) {
    // Without letters or seconds there is no rate to score: the words alone count. Testing
    // here, not dividing, keeps the result free of infinities even with FPU traps enabled.
    if (letters == 0 || seconds == 0)
        return 0;
    // The order of the steps fixes where the roundings fall; stored totals depend on it.
    const long double s = static_cast<long double>(words) * static_cast<long double>(words);
    const long double a = (s * 60.0L) / static_cast<long double>(letters);
    const long double b = (s * 60.0L) / static_cast<long double>(seconds);
    const long double p = b * a;
    if (!(p >= -kTwoPow63 && p < kTwoPow63))
        return 0;
    const long double rounded = RoundHalfEven(p);
    if (rounded >= kTwoPow63)
        return 0;
    return static_cast<std::int64_t>(rounded);
}

} // namespace

std::string RecordName(const TScoreRec& rec) {
    const std::size_t length = std::min<std::size_t>(rec.NameLength, kMaxNameLength);
    return std::string(rec.NameChars, length);
}

void SetRecordName(TScoreRec& rec, std::string_view name) {
    // A cut never splits a character of the name.
    const std::size_t length = KeepFirstBytes(name, kMaxNameLength).size();
    // The bytes after the name are not significant; zeroing them keeps written files tidy.
    std::memset(rec.NameChars, 0, sizeof rec.NameChars);
    std::memcpy(rec.NameChars, name.data(), length);
    rec.NameLength = static_cast<std::uint8_t>(length);
}

std::int32_t TotalScore(const TScoreRec& rec) {
    const std::int32_t words = rec.CompletedWords;
    if (words <= 0)
        return 0;
    const std::int64_t product = RoundedProduct(words, rec.UsedLetters, rec.UsedTime);
    // Low 32 bits plus the words, wrapping like a 32-bit register would.
    const auto low = static_cast<std::uint32_t>(static_cast<std::uint64_t>(product));
    return static_cast<std::int32_t>(low + static_cast<std::uint32_t>(words));
}

bool IsValidRecord(const TScoreRec& rec) {
    return rec.Total == TotalScore(rec);
}

void ClearRecord(TScoreRec& rec, std::string_view name, double today) {
    SetRecordName(rec, name);
    rec.UsedTime = 0;
    rec.UsedLetters = 0;
    rec.CompletedWords = 0;
    rec.Total = 0;
    rec.Date = std::floor(today);
}

} // namespace lexfall
