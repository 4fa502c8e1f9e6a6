// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/Figures.h"
#include "support/Records.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace lexfall {
namespace {

const RegionalSettings kPoint{".", ",", "%m/%d/%y"};
const RegionalSettings kComma{",", ".", "%d.%m.%Y"};

struct RatioCase {
    long double value;
    const char* withPoint;
    const char* withComma;
    friend void PrintTo(const RatioCase& c, std::ostream* os) { *os << c.withPoint; }
};

class FormatRatioTest : public ::testing::TestWithParam<RatioCase> {};

// Two decimals, the regional separators, seven significant digits at most.
TEST_P(FormatRatioTest, WritesTheRegionalForm) {
    const RatioCase c = GetParam();
    EXPECT_EQ(FormatRatio(c.value, kPoint), c.withPoint);
    EXPECT_EQ(FormatRatio(c.value, kComma), c.withComma);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatRatioTest,
    ::testing::Values(
        RatioCase{5.625L, "5.63", "5,63"}, // an exact half rounds up
        RatioCase{2.0L / 3.0L, "0.67", "0,67"}, RatioCase{0.0L, "0.00", "0,00"},
        RatioCase{1200.0L, "1,200.00", "1.200,00"},
        RatioCase{123456.78L, "123,456.80", "123.456,80"}, // six integer digits: one decimal
        RatioCase{1234567.4L, "1,234,567.00", "1.234.567,00"},
        RatioCase{9999999.6L, "10,000,000.00", "10.000.000,00"}, // carry into an eighth digit
        RatioCase{12345678.0L, "12,345,680.00", "12.345.680,00"},
        RatioCase{999.995L, "1,000.00", "1.000,00"}, RatioCase{0.005L, "0.01", "0,01"},
        RatioCase{0.004L, "0.00", "0,00"},
        // Decided on 18 digits: this is 0.0150000000000000000 there, so it rounds up.
        RatioCase{0.0149999999999999999999L, "0.02", "0,02"}, RatioCase{-6.25L, "-6.25", "-6,25"},
        RatioCase{-0.001L, "0.00", "0,00"}));

// Only the given separators are used, whatever their length.
TEST(FormatRatio, UsesTheSeparatorsAsGiven) {
    EXPECT_EQ(FormatRatio(1234567.0L, RegionalSettings{".", "", ""}), "1234567.00");
    EXPECT_EQ(FormatRatio(1234.5L, RegionalSettings{",", "\u202f", ""}), "1\u202f234,50");
}

// Far beyond any real game the form only has to stay readable.
TEST(FormatRatio, HugeAndNonFiniteValuesStayReadable) {
    EXPECT_EQ(FormatRatio(1.23456789e20L, kPoint), "1.234568E+20");
    EXPECT_EQ(FormatRatio(123456789.0L, kPoint), "1.234568E+8");
    EXPECT_EQ(FormatRatio(128849018880.0L, kPoint), "1.288490E+11");
    EXPECT_EQ(FormatRatio(-9.9999999e25L, kComma), "-1,000000E+26");
    EXPECT_EQ(FormatRatio(std::numeric_limits<long double>::infinity(), kPoint), "INF");
    EXPECT_EQ(FormatRatio(std::numeric_limits<long double>::quiet_NaN(), kPoint), "NAN");
}

TEST(FormatWhole, HasNoGrouping) {
    EXPECT_EQ(FormatWhole(12345), "12345");
    EXPECT_EQ(FormatWhole(0), "0");
    EXPECT_EQ(FormatWhole(-2147483647 - 1), "-2147483648");
}

using testing::Figures;

// Each ratio exists only while its divisor field is above 0.
TEST(DerivedFigures, NeedAPositiveDivisor) {
    EXPECT_FALSE(LettersPerWord(Figures(0, 15, 40)));
    EXPECT_FALSE(SecondsPerWord(Figures(-1, 15, 40)));
    EXPECT_FALSE(WordsPerMinute(Figures(3, 15, 0)));
    EXPECT_FALSE(WordsPerMinute(Figures(3, 15, -60)));
    EXPECT_TRUE(WordsPerMinute(Figures(0, 15, 40)));
}

TEST(DerivedFigures, AreWrittenAsRatios) {
    const TScoreRec fortyEight = Figures(5, 17, 48);
    EXPECT_EQ(FormatRatio(*WordsPerMinute(fortyEight), kPoint), "6.25");
    EXPECT_EQ(FormatRatio(*SecondsPerWord(fortyEight), kPoint), "9.60");
    EXPECT_EQ(FormatRatio(*LettersPerWord(fortyEight), kPoint), "3.40");
    EXPECT_EQ(FormatRatio(*SecondsPerWord(Figures(8, 30, 45)), kPoint), "5.63");
    EXPECT_EQ(FormatRatio(*SecondsPerWord(Figures(1, 3, 0)), kPoint), "0.00");
}

} // namespace
} // namespace lexfall
