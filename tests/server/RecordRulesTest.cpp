// SPDX-License-Identifier: GPL-3.0-or-later
// Which records the server stores: those a real game can produce. The game's own validity rule
// (the total) is one row group of the table; the others are the server's additions, and the
// attacks that were once accepted.
#include "server/RecordRules.h"

#include <gtest/gtest.h>

namespace lexfall::server {
namespace {

TEST(RecordRulesTest, Table) {
    struct Case {
        ServerRecord rec;
        bool stored;
        const char* why;
    };
    const Case cases[] = {
        {{"P", 2, 30, 10, 194, "2003-03-28"}, true, "a game's record"},
        {{"P", 10, 300, 40, 3010, "2003-03-28"}, true, "a game's record"},
        // The game's own validity rule, rounding included.
        {{"P", 2, 30, 10, 195, "2003-03-28"}, false, "total one too high"},
        {{"P", 1, 96, 3, 13, "2003-03-28"}, true, "12.5 rounds to the even 12"},
        {{"P", 1, 96, 3, 14, "2003-03-28"}, false, "12.5 rounded up"},
        {{"P", 3, 1458, 16, 16, "2003-03-28"}, true, "only right in 80-bit precision"},
        {{"P", 3, 1458, 16, 15, "2003-03-28"}, false, "the 64-bit double's total"},
        {{"P", 1, 0, 3, 1, "2003-03-28"}, true, "a word before the first second: words alone"},
        // Figures no game can produce.
        {{"Bob", 2147483647, 0, 0, 2147483647, "2003-03-28"}, false, "no letters, no seconds"},
        {{"P", 10, 60, 10, 60010, "2003-03-28"}, false, "ten words from ten letters"},
        {{"P", 10, 300, 29, 4148, "2003-03-28"}, false, "one letter short of three a word"},
        {{"P", 10, 300, 30, 4010, "2003-03-28"}, true, "three letters a word"},
        {{"No Record", 0, 0, 0, 0, "2003-03-28"}, false, "the game's placeholder"},
        {{"P", 0, 50, 9, 0, "2003-03-28"}, false, "no words"},
        // Dates: ISO 8601 and the short forms the game writes.
        {{"P", 2, 30, 10, 194, "3/28/03"}, true, "month first, two-digit year"},
        {{"P", 2, 30, 10, 194, "28/03/2003"}, true, "day first"},
        {{"P", 2, 30, 10, 194, "28.03.2003"}, true, "dotted"},
        {{"P", 2, 30, 10, 194, "28. 3. 2003"}, true, "dotted with blanks"},
        {{"P", 2, 30, 10, 194, "2003/03/28"}, true, "year first, slashes"},
        {{"P", 2, 30, 10, 194, "2003-02-29"}, false, "no such day"},
        {{"P", 2, 30, 10, 194, "2003-13-01"}, false, "no such month"},
        {{"P", 2, 30, 10, 194, "yesterday"}, false, "no date"},
        {{"P", 2, 30, 10, 194, "2003-03-28 junk"}, false, "more than a date"},
        {{"P", 2, 30, 10, 194, ""}, false, "empty date"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsGameRecord(c.rec), c.stored) << c.why;
}

} // namespace
} // namespace lexfall::server
