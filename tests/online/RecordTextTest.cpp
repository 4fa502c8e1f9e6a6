// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/RecordText.h"

#include "text/DayCount.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

namespace lexfall {
namespace {

const ShortDateFormat kIso{"%Y-%m-%d", 2026};
const ShortDateFormat kC{"%m/%d/%y", 2026};
const double k2003_03_28 = DayCountFromCivil({2003, 3, 28});

TScoreRec Player1() {
    TScoreRec rec;
    SetRecordName(rec, "Player1");
    rec.CompletedWords = 10;
    rec.UsedTime = 300;
    rec.UsedLetters = 40;
    rec.Total = 3010;
    rec.Date = k2003_03_28;
    return rec;
}

bool SameBytes(const TScoreRec& a, const TScoreRec& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(RecordTextTest, FieldsInTheOrderNameWordsTimeLettersTotalIsoDate) {
    EXPECT_EQ(RecordText(Player1()), "Player1,10,300,40,3010,2003-03-28");
    TScoreRec negative = Player1();
    negative.Total = -5;
    negative.Date = DayCountFromCivil({987, 1, 2});
    EXPECT_EQ(RecordText(negative), "Player1,10,300,40,-5,0987-01-02");
}

TEST(RecordTextTest, ChampionExampleAndItsRoundTrip) {
    TScoreRec rec;
    SplitToRec("Champion,10,300,40,3010,2003-03-28", rec, kIso);
    EXPECT_EQ(RecordName(rec), "Champion");
    EXPECT_EQ(std::int32_t{rec.CompletedWords}, 10);
    EXPECT_EQ(std::int32_t{rec.UsedTime}, 300);
    EXPECT_EQ(std::int32_t{rec.UsedLetters}, 40);
    EXPECT_EQ(std::int32_t{rec.Total}, 3010);
    EXPECT_EQ(double{rec.Date}, k2003_03_28);
    for (const ShortDateFormat& format :
         {kIso, kC, ShortDateFormat{"%e.%m.%Y", 2026}, ShortDateFormat{"%D", 2026}}) {
        TScoreRec back;
        SplitToRec(RecordText(Player1()), back, format);
        EXPECT_TRUE(SameBytes(back, Player1())) << format.pattern;
    }
}

// A record travels between desktops: ISO is read everywhere, the player's own short format
// still reads what older copies stored, and an ISO-looking text in a two-digit-year format is
// not taken for the year 3.
TEST(RecordTextTest, DatesReadIsoFirstThenTheLocalFormat) {
    struct Case {
        const char* date;
        ShortDateFormat format;
        std::optional<CivilDate> expected;
    };
    const ShortDateFormat swiss{"%d.%m.%Y", 2026};
    const ShortDateFormat french{"%d/%m/%Y", 2026};
    const Case cases[] = {
        {"2003-03-28", kC, CivilDate{2003, 3, 28}},
        {"2003-03-05", swiss, CivilDate{2003, 3, 5}},
        {"28.03.2003", swiss, CivilDate{2003, 3, 28}},
        {"05/03/2003", french, CivilDate{2003, 3, 5}},
        {"03/28/03", kC, CivilDate{2003, 3, 28}},
        {"03-03-28", ShortDateFormat{"%y-%m-%d", 2026}, CivilDate{2003, 3, 28}},
        {"28.03.2003", kC, std::nullopt},
        {"2003-02-29", swiss, std::nullopt},
        {"28.3.03", swiss, CivilDate{2003, 3, 28}},
        {"28.03.0003", swiss, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        TScoreRec rec = Player1();
        rec.Date = 0;
        const std::string text = std::string("Player1,10,300,40,3010,") + c.date;
        if (c.expected) {
            SplitToRec(text, rec, c.format);
            EXPECT_EQ(double{rec.Date}, DayCountFromCivil(*c.expected));
        } else {
            EXPECT_THROW(SplitToRec(text, rec, c.format), Error);
            EXPECT_EQ(double{rec.Date}, 0.0);
        }
    }
}

// What a reply turns into, or which error it raises; a failing text leaves the record alone.
TEST(RecordTextTest, RepliesThatDoNotConvertRaiseAndChangeNothing) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"1\r\n", "'' is not a valid integer value"},
        {"Champion,10,300,40,2003-03-28", "'' is not a valid integer value"},
        {"Champion,1x,300,40,3010,2003-03-28", "'1x' is not a valid integer value"},
        {"Champion,10,300,40,3010,03/28/03", "'03/28/03' is not a valid date"},
        {"Champion,10,300,40,3010,2003-02-29", "'2003-02-29' is not a valid date"},
        {"Champion,10,300,40,3010,2003-03-28,extra", "'2003-03-28,extra' is not a valid date"},
        {"Champion,10,300,40,3010,", "'' is not a valid date"},
        {"Champion,10,300,40,3010,2003-03-28 ", "'2003-03-28 ' is not a valid date"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TScoreRec rec = Player1();
        try {
            SplitToRec(c.text, rec, kIso);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), c.error);
        }
        EXPECT_TRUE(SameBytes(rec, Player1())) << "the record changed";
    }
}

TEST(RecordTextTest, NameCutTo20AndTotalTakenAsItComes) {
    TScoreRec rec;
    SplitToRec("Abcdefghijklmnopqrstuvwxy,2,30,10,999,2003-03-28", rec, kIso);
    EXPECT_EQ(RecordName(rec), "Abcdefghijklmnopqrst");
    EXPECT_EQ(std::int32_t{rec.Total}, 999);
    EXPECT_FALSE(IsValidRecord(rec));
}

// Two-digit years come back in the century nearest the current year; a swapped day and month
// that still form a date are read as another date.
TEST(RecordTextTest, ShortDateReading) {
    struct Case {
        const char* text;
        ShortDateFormat format;
        std::optional<CivilDate> date;
    };
    const Case cases[] = {
        {"03/28/03", kC, CivilDate{2003, 3, 28}},
        {"12/31/99", kC, CivilDate{1999, 12, 31}},
        {"01/01/75", kC, CivilDate{2075, 1, 1}},
        {"01/01/76", kC, CivilDate{1976, 1, 1}},
        {"3/8/2003", kC, CivilDate{2003, 3, 8}},
        {"04/03/03", kC, CivilDate{2003, 4, 3}},
        {"28/03/03", kC, std::nullopt},
        {"2003-03-28", kC, std::nullopt},
        {" 8.03.2003", ShortDateFormat{"%e.%m.%Y", 2026}, CivilDate{2003, 3, 8}},
        {"2000-02-29", kIso, CivilDate{2000, 2, 29}},
        {"1900-02-29", kIso, std::nullopt},
        {"2003-13-01", kIso, std::nullopt},
        // A four-digit-year format given two digits takes the same century window.
        {"28.3.03", ShortDateFormat{"%d.%m.%Y", 2026}, CivilDate{2003, 3, 28}},
        {"3/28/03", ShortDateFormat{"%m/%d/%Y", 2026}, CivilDate{2003, 3, 28}},
        {"1/1/76", ShortDateFormat{"%m/%d/%Y", 2026}, CivilDate{1976, 1, 1}},
        {"3/28/003", ShortDateFormat{"%m/%d/%Y", 2026}, std::nullopt},
        {"1899-12-31", kIso, std::nullopt},
        {"1900-01-01", kIso, CivilDate{1900, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = ParseShortDate(c.text, c.format);
        ASSERT_EQ(parsed.has_value(), c.date.has_value());
        if (parsed) {
            EXPECT_EQ(*parsed, DayCountFromCivil(*c.date));
        }
    }
}

} // namespace
} // namespace lexfall
