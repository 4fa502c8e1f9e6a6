// SPDX-License-Identifier: GPL-3.0-or-later
// The record text the server reads and sends back as the game wrote it.
#include "server/RecordText.h"

#include <gtest/gtest.h>

namespace lexfall::server {
namespace {

TEST(RecordTextTest, AcceptsTheGamesRecordsAndKeepsTheDateAsText) {
    const auto rec = ParseValidRecord("Player1,10,300,40,3010,2003-03-28");
    ASSERT_TRUE(rec);
    EXPECT_EQ(*rec, (ServerRecord{"Player1", 10, 300, 40, 3010, "2003-03-28"}));
    EXPECT_EQ(RecordText(*rec), "Player1,10,300,40,3010,2003-03-28");

    // Any short date form comes back unchanged, blanks and slashes included.
    const auto dotted = ParseValidRecord("Ann Lee,2,30,10,194,28. 3. 2003");
    ASSERT_TRUE(dotted);
    EXPECT_EQ(RecordText(*dotted), "Ann Lee,2,30,10,194,28. 3. 2003");
}

// The shape of the text; what the figures must be is the record rules' table.
TEST(RecordTextTest, Shape) {
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"P,2,30,10,194,2003-03-28", true},
        {",2,30,10,194,2003-03-28", true}, // the name is replaced by the registered one
        {"P,2,30,10,194", false},          // five fields
        {"P,2,30,10,194,2003-03-28,x", false},
        {"Sm,ith,2,30,10,194,2003-03-28", false}, // a comma in the name
        {"P,-2,30,10,194,2003-03-28", false},
        {"P,+2,30,10,194,2003-03-28", false},
        {"P, 2,30,10,194,2003-03-28", false},
        {"P,2,30,10,0x1,2003-03-28", false},
        {"P,2147483648,1,1,0,2003-03-28", false}, // beyond 32 bits
        {"P,2,30,10,194,2003-03-28\r", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseValidRecord(c.text).has_value(), c.valid) << c.text;
}

} // namespace
} // namespace lexfall::server
