// Which record texts the server accepts, and that it sends them back as the game wrote them.
#include "server/RecordText.h"

#include <gtest/gtest.h>

namespace lexfall::server {
namespace {

TEST(RecordTextTest, AcceptsTheGamesRecordsAndKeepsTheDateAsText) {
    const auto rec = ParseValidRecord("Player1,10,300,40,3010,2003-03-28");
    ASSERT_TRUE(rec);
    EXPECT_EQ(*rec, (ServerRecord{"Player1", 10, 300, 40, 3010, "2003-03-28"}));
    EXPECT_EQ(RecordText(*rec), "Player1,10,300,40,3010,2003-03-28");

    // Any short date format comes back unchanged, blanks and slashes included.
    const auto dotted = ParseValidRecord("Ann Lee,2,30,10,194,28. 3. 2003");
    ASSERT_TRUE(dotted);
    EXPECT_EQ(RecordText(*dotted), "Ann Lee,2,30,10,194,28. 3. 2003");
}

// Each text breaks one rule; the first is the control case that passes.
TEST(RecordTextTest, ValidityRules) {
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"P,2,30,10,194,2003-03-28", true},
        {"P,2,30,10,195,2003-03-28", false}, // total one too high
        {"P,1,96,3,13,2003-03-28", true},    // 12.5 rounds to the even 12
        {"P,1,96,3,14,2003-03-28", false},   // rounded half up
        {"P,1,32,1,113,2003-03-28", true},   // 112.5 rounds to 112
        {"P,0,0,0,0,2003-03-28", true},      // no words, total 0
        {"P,0,50,9,1,2003-03-28", false},    // no words but a total
        {"P,3,0,7,3,d", true},               // no seconds: the words alone count
        {"12345678901234567890,2,30,10,194,d", true},
        {"123456789012345678901,2,30,10,194,d", false}, // 21 characters
        {",2,30,10,194,d", false},                      // no name
        {"P,2,30,10,194,", false},                      // no date
        {"P,2,30,10,194", false},                       // five fields
        {"P,2,30,10,194,d,x", false},                   // seven fields
        {"Sm,ith,2,30,10,194,d", false},                // a comma in the name
        {"P,-2,30,10,194,d", false},
        {"P,+2,30,10,194,d", false},
        {"P, 2,30,10,194,d", false},
        {"P,2,30,10,0x1,d", false},
        {"P,2147483648,1,1,0,d", false}, // beyond 32 bits
        {"P\n,2,30,10,194,d", false},
        {"P,2,30,10,194,d\r", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseValidRecord(c.text).has_value(), c.valid) << c.text;
}

// Totals that only the 80-bit computation gets right: in 64-bit doubles the product lands on
// the other side of a half (12.5 exactly instead of just above it, 4.5 just above instead of
// exactly), so a server judging in doubles would refuse the game's own records.
TEST(RecordTextTest, JudgesTotalsInExtendedPrecision) {
    EXPECT_TRUE(ParseValidRecord("P,3,1458,16,16,2003-03-28"));  // 3 + 13
    EXPECT_FALSE(ParseValidRecord("P,3,1458,16,15,2003-03-28")); // 3 + 12, the double's answer
    EXPECT_TRUE(ParseValidRecord("P,3,1296,50,7,2003-03-28"));   // 3 + 4
    EXPECT_FALSE(ParseValidRecord("P,3,1296,50,8,2003-03-28"));  // 3 + 5, the double's answer
}

} // namespace
} // namespace lexfall::server
