// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/ScoreRec.h"
#include "support/Records.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cstring>
#include <limits>
#include <ostream>

namespace lexfall {
namespace {

using testing::Figures;

struct TotalCase {
    std::int32_t words, letters, seconds, total;
    friend void PrintTo(const TotalCase& c, std::ostream* os) {
        *os << "W=" << c.words << " L=" << c.letters << " T=" << c.seconds;
    }
};

class TotalScoreTest : public ::testing::TestWithParam<TotalCase> {};

// The total is 3600 W^4 / (L T) rounded as the fixed steps round it, plus W.
TEST_P(TotalScoreTest, FollowsTheStepsOfTheFormula) {
    const TotalCase c = GetParam();
    EXPECT_EQ(TotalScore(Figures(c.words, c.letters, c.seconds)), c.total);
}

// The game's examples.
const TotalCase kExamples[] = {
    {0, 0, 0, 0},     // no words: 0, whatever L and T hold
    {0, 10, 30, 0},   //
    {-5, 10, 30, 0},  // negative words count as none
    {2, 10, 30, 194}, // A 24, B 8, P 192
    {10, 40, 300, 3010},
    {1, 3, 96, 13},  // P 12.5 goes down to the even 12
    {1, 1, 32, 113}, // P 112.5 goes down to the even 112
    {1, 1, 24, 151}, // P 150 exactly
    // The rounded quotient 540/729 lifts P just above 12.5: only the 80-bit format sees it
    // (64-bit doubles land on 12.5 and give 15).
    {3, 32, 729, 16},
    // Computed as 3600 W^4 / (L T) this would round up to 2 and give 5.
    {3, 300, 648, 4},
    // Negative figures from a damaged record still give a definite total.
    {2, -10, 30, -190},
};

INSTANTIATE_TEST_SUITE_P(Examples, TotalScoreTest, ::testing::ValuesIn(kExamples));

// The tests' own reckoning of a total, which every valid record they build rests on, agrees
// with the game on its examples and on the records the tests use.
TEST(TotalScore, AgreesWithTheTestsOwnReckoning) {
    for (const TotalCase& c : kExamples) {
        SCOPED_TRACE(::testing::PrintToString(c));
        EXPECT_EQ(testing::ExpectedTotal(c.words, c.letters, c.seconds), c.total);
    }
    // Totals the window and record file tests rely on.
    const TotalCase used[] = {{2, 10, 30, 194},    {5, 40, 20, 2817},   {10, 40, 100, 9010},
                              {10, 40, 45, 20010}, {10, 40, 30, 30010}, {30, 200, 300, 48630},
                              {3, 15, 40, 489},    {3, 14, 40, 524},    {2, 8, 20, 362},
                              {1, 5, 10, 73},      {8, 12, 50, 24584}};
    for (const TotalCase& c : used) {
        SCOPED_TRACE(::testing::PrintToString(c));
        EXPECT_EQ(testing::ExpectedTotal(c.words, c.letters, c.seconds), c.total);
        EXPECT_EQ(TotalScore(Figures(c.words, c.letters, c.seconds)), c.total);
    }
    // Past 32 bits both keep the low half of the product.
    EXPECT_EQ(testing::ExpectedTotal(1000, 1, 1), TotalScore(Figures(1000, 1, 1)));
}

// Words but no letters or no seconds: no rate to score, so the words alone count.
TEST(TotalScore, WithoutLettersOrSecondsCountsOnlyTheWords) {
    EXPECT_EQ(TotalScore(Figures(4, 20, 0)), 4);
    EXPECT_EQ(TotalScore(Figures(4, 0, 60)), 4);
    EXPECT_EQ(TotalScore(Figures(4, 0, 0)), 4);

    TScoreRec fast = Figures(3, 12, 0);
    fast.Total = 3;
    EXPECT_TRUE(IsValidRecord(fast));
    fast.Total = 4;
    EXPECT_FALSE(IsValidRecord(fast));
}

// The low 32 bits of the rounded product are added to W with wrap-around.
TEST(TotalScore, KeepsTheLow32BitsOfTheProduct) {
    // A = B = 6e7, P = 3.6e15 exactly.
    const std::int64_t product = 3'600'000'000'000'000;
    const auto expected = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(product)) + 1000u);
    EXPECT_EQ(TotalScore(Figures(1000, 1, 1)), expected);
}

// A product beyond the signed 64-bit range contributes nothing.
TEST(TotalScore, ProductBeyond64BitsCountsOnlyTheWords) {
    const std::int32_t most = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(TotalScore(Figures(most, 1, 1)), most);
    EXPECT_EQ(TotalScore(Figures(most, 1, -1)), most);
    // With L = T = 1, P = (60 W^2)^2 is exact: W = 7114 still fits, W = 7115 does not.
    const std::uint64_t inside = 60ull * 7114 * 7114 * 60ull * 7114 * 7114;
    EXPECT_EQ(TotalScore(Figures(7114, 1, 1)),
              static_cast<std::int32_t>(static_cast<std::uint32_t>(inside) + 7114u));
    EXPECT_EQ(TotalScore(Figures(7115, 1, 1)), 7115);
}

#if defined(__GLIBC__)
// Odd records must not trip the FPU even where its traps are switched on.
TEST(TotalScore, RaisesNoFloatingPointTrap) {
    const int before = fegetexcept();
    feenableexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
    const std::int32_t most = std::numeric_limits<std::int32_t>::max();
    const std::int32_t zeroSeconds = TotalScore(Figures(5, 20, 0));
    const std::int32_t zeroLetters = TotalScore(Figures(5, 0, 20));
    const std::int32_t huge = TotalScore(Figures(most, 1, 1));
    const std::int32_t hugeNegative = TotalScore(Figures(most, -1, 1));
    fedisableexcept(FE_ALL_EXCEPT);
    feenableexcept(before);
    EXPECT_EQ(zeroSeconds, 5);
    EXPECT_EQ(zeroLetters, 5);
    EXPECT_EQ(huge, most);
    EXPECT_EQ(hugeNegative, most);
}
#endif

// A record is valid exactly when its Total equals the computed one.
TEST(IsValidRecord, ComparesTheStoredTotal) {
    TScoreRec rec = Figures(10, 40, 300);
    rec.Total = 3010;
    EXPECT_TRUE(IsValidRecord(rec));
    rec.Total = 3011;
    EXPECT_FALSE(IsValidRecord(rec));

    TScoreRec noWords = Figures(0, 15, 40);
    EXPECT_TRUE(IsValidRecord(noWords));
    noWords.Total = 1;
    EXPECT_FALSE(IsValidRecord(noWords));
}

// ClearRecord leaves an empty, valid record dated the given day.
TEST(ClearRecord, GivesAnEmptyValidRecordOfToday) {
    TScoreRec rec = Figures(7, 30, 200);
    rec.Total = 12345;
    rec.Date = 1.5;
    SetRecordName(rec, "Somebody Else");
    ClearRecord(rec, "No Record", 46366.0);
    EXPECT_EQ(RecordName(rec), "No Record");
    // Packed fields are copied out: a reference to them would be misaligned.
    EXPECT_EQ(std::int32_t{rec.UsedTime}, 0);
    EXPECT_EQ(std::int32_t{rec.UsedLetters}, 0);
    EXPECT_EQ(std::int32_t{rec.CompletedWords}, 0);
    EXPECT_EQ(std::int32_t{rec.Total}, 0);
    EXPECT_EQ(double{rec.Date}, 46366.0);
    EXPECT_TRUE(IsValidRecord(rec));
}

// Names keep their first 20 characters; nothing of an older, longer name survives.
TEST(RecordName, KeepsTheFirst20Characters) {
    TScoreRec rec;
    SetRecordName(rec, "ABCDEFGHIJKLMNOPQRSTUVWXY");
    EXPECT_EQ(rec.NameLength, 20);
    EXPECT_EQ(RecordName(rec), "ABCDEFGHIJKLMNOPQRST");

    SetRecordName(rec, "Ann");
    EXPECT_EQ(RecordName(rec), "Ann");
    EXPECT_EQ(rec.NameChars[3], '\0');

    SetRecordName(rec, "");
    EXPECT_EQ(RecordName(rec), "");

    // 20 bytes; a UTF-8 character that would be split is dropped whole.
    SetRecordName(rec, std::string(19, 'A') + "\xC3\xA9");
    EXPECT_EQ(RecordName(rec), std::string(19, 'A'));
}

// A damaged length byte reads no further than the 20 character bytes.
TEST(RecordName, DamagedLengthStopsAt20) {
    TScoreRec rec;
    std::memset(rec.NameChars, 'Z', sizeof rec.NameChars);
    rec.UsedTime = 0x41414141; // bytes that would follow the name
    rec.NameLength = 255;
    EXPECT_EQ(RecordName(rec), std::string(20, 'Z'));
}

} // namespace
} // namespace lexfall
