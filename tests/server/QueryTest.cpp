// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the game's unencoded queries: escapes, repeated and missing keys, and the request
// line with blanks in it.
#include "server/Query.h"
#include "server/RequestLine.h"

#include <gtest/gtest.h>

namespace lexfall::server {
namespace {

TEST(QueryTest, PercentDecoding) {
    EXPECT_EQ(PercentDecode("Ann%20Lee"), "Ann Lee");
    EXPECT_EQ(PercentDecode("a%2Cb%2cc"), "a,b,c");
    EXPECT_EQ(PercentDecode("x%00y"), std::string("x\0y", 3));
    EXPECT_EQ(PercentDecode("a+b"), "a+b"); // the game never encodes, so "+" is a plus
    EXPECT_EQ(PercentDecode(""), "");
    for (const char* bad : {"%", "%4", "a%zz", "%g0", "100%"})
        EXPECT_FALSE(PercentDecode(bad)) << bad;
}

TEST(QueryTest, KeysMissingRepeatedOrBadAreUnusable) {
    const Query query("/getmyrec.asp?u=Ann Lee&e=&c=%zz&r=1&r=2&flag&&=x&%41=y");
    EXPECT_EQ(query.Value("u"), "Ann Lee");
    EXPECT_EQ(query.Value("e"), "");
    EXPECT_FALSE(query.Value("c")); // bad escape
    EXPECT_FALSE(query.Value("r")); // repeated: which one was meant cannot be told
    EXPECT_EQ(query.Value("flag"), "");
    EXPECT_EQ(query.Value("A"), "y");
    EXPECT_FALSE(query.Value("missing"));
    EXPECT_FALSE(Query("/checkwr.asp").Value("u"));
}

TEST(QueryTest, MendsBlanksAndQuestionMarksInsideTheTarget) {
    struct Case {
        const char* line;
        const char* mended;
    };
    const Case cases[] = {
        {"GET /checkwr.asp HTTP/1.1", "GET /checkwr.asp HTTP/1.1"},
        {"GET /g.asp?u=Ann Lee&e=a b HTTP/1.1", "GET /g.asp?u=Ann%20Lee&e=a%20b HTTP/1.1"},
        {"GET /p.asp?r=A,1,2,3,4,3/28/2003? HTTP/1.1",
         "GET /p.asp?r=A,1,2,3,4,3/28/2003%3F HTTP/1.1"},
        {"GET /p.asp?r=x  y HTTP/1.0", "GET /p.asp?r=x%20%20y HTTP/1.0"},
        {"GARBAGE", "GARBAGE"},
        {"GET /x", "GET /x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MendRequestLine(c.line), c.mended) << c.line;
}

} // namespace
} // namespace lexfall::server
