// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/ReplyReader.h"

#include "online/HttpFailures.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lexfall {
namespace {

struct Outcome {
    std::string statusLine;
    std::string body;
    std::string error; // empty when the reply was read
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "{" << o.statusLine << " | " << o.body.size() << " bytes | " << o.error << "}";
}

// Feeds the pieces in order, then the close when closed.
Outcome Read(const std::vector<std::string_view>& pieces, bool closed, ReplyLimits limits = {}) {
    ReplyReader reader(limits);
    try {
        for (std::string_view piece : pieces)
            reader.Feed(piece);
        if (closed)
            reader.Close();
        if (!reader.Done())
            return {"", "", "not done"};
        return {reader.Head().statusLine, reader.TakeBody(), ""};
    } catch (const Error& error) {
        return {"", "", error.what()};
    }
}

std::vector<std::string_view> OneByteEach(std::string_view bytes) {
    std::vector<std::string_view> pieces;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        pieces.push_back(bytes.substr(i, 1));
    return pieces;
}

struct Case {
    const char* name;
    std::string bytes;
    Outcome expected;
    bool closed = true; // the peer closes after the bytes
};

std::vector<Case> Cases() {
    const std::string longLine(http::MaxLineLength, 'a');
    return {
        {"content length",
         "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello",
         {"HTTP/1.1 200 OK", "hello", ""},
         false},
        {"content length 0",
         "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n",
         {"HTTP/1.1 200 OK", "", ""},
         false},
        {"bytes after the length are not body",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nabcd",
         {"HTTP/1.1 200 OK", "ab", ""}},
        {"chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;x=1\r\nhello\r\n1A\r\n" +
             std::string(26, 'z') + "\r\n0\r\nTrailer: 1\r\n\r\n",
         {"HTTP/1.1 200 OK", "hello" + std::string(26, 'z'), ""},
         false},
        {"chunked wins over a length",
         "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nTransfer-Encoding: "
         "Chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n",
         {"HTTP/1.1 200 OK", "ab", ""},
         false},
        {"chunked closed after the last chunk",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nx\r\n0\r\n",
         {"HTTP/1.1 200 OK", "x", ""}},
        {"bad chunk size",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
         {"", "", "'zz' is not a valid integer value"}},
        {"read to close",
         "HTTP/1.1 200 OK\r\nServer: x\r\n\r\nbody\r\nmore",
         {"HTTP/1.1 200 OK", "body\r\nmore", ""}},
        {"a length that is no number reads to the close",
         "HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\nab",
         {"HTTP/1.1 200 OK", "ab", ""}},
        {"LF-only lines",
         "HTTP/1.1 200 OK\nContent-Length: 3\n\nabc",
         {"HTTP/1.1 200 OK", "abc", ""},
         false},
        {"CR inside a line stays", "HTTP/1.1 200 O\rK\r\n\r\nx", {"HTTP/1.1 200 O\rK", "x", ""}},
        {"100 then the real head",
         "HTTP/1.1 100 Continue\r\nX: 1\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n1",
         {"HTTP/1.1 200 OK", "1", ""},
         false},
        {"204 has no body",
         "HTTP/1.1 204 No Content\r\nContent-Length: 4\r\n\r\n",
         {"HTTP/1.1 204 No Content", "", ""},
         false},
        {"body kept byte for byte",
         "HTTP/1.1 200 OK\r\n\r\n" + std::string("\x00\xFF\r\n\xE9", 5),
         {"HTTP/1.1 200 OK", std::string("\x00\xFF\r\n\xE9", 5), ""}},
        {"line of 16384 characters",
         "HTTP/1.1 200 OK\r\nX: " + longLine.substr(3) + "\r\n\r\n",
         {"HTTP/1.1 200 OK", "", ""}},
        {"line of 16385 characters",
         "HTTP/1.1 200 OK\r\nX: " + longLine.substr(2) + "\r\n\r\n",
         {"", "", http::MaxLineLengthExceeded}},
        {"unended line of 16386 characters",
         "HTTP/1.1 200 OK\r\n" + longLine + "ab",
         {"", "", http::MaxLineLengthExceeded},
         false},
        {"close before the status line", "", {"", "", http::ClosedGracefully}},
        {"close inside the status line", "HTTP/1.1 2", {"", "", http::ClosedGracefully}},
        {"close inside the headers",
         "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n",
         {"", "", http::ClosedGracefully}},
        {"close inside a sized body",
         "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nab",
         {"", "", http::ClosedGracefully}},
        {"close inside a chunk",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nab",
         {"", "", http::ClosedGracefully}},
        {"body at the cap",
         "HTTP/1.1 200 OK\r\n\r\n" + std::string(http::MaxReplySize, 'b'),
         {"HTTP/1.1 200 OK", std::string(http::MaxReplySize, 'b'), ""}},
        {"body over the cap",
         "HTTP/1.1 200 OK\r\n\r\n" + std::string(http::MaxReplySize + 1, 'b'),
         {"", "", http::ReplyTooLarge},
         false},
    };
}

// Every reply gives the same outcome whole, cut in two at every position, and byte by byte.
TEST(ReplyReaderTest, EveryCaseReadsTheSameHoweverTheBytesArrive) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::string_view bytes = c.bytes;
        EXPECT_EQ(Read({bytes}, c.closed), c.expected);
        if (bytes.size() > 70000)
            continue; // the cap cases: whole is enough
        bool allSame = true;
        for (std::size_t cut = 0; cut <= bytes.size() && allSame; ++cut)
            allSame = Read({bytes.substr(0, cut), bytes.substr(cut)}, c.closed) == c.expected;
        EXPECT_TRUE(allSame) << "a cut changed the outcome";
        EXPECT_EQ(Read(OneByteEach(bytes), c.closed), c.expected);
    }
}

// A long line near the end of the room for the heads: the limit the bytes cross first fails,
// whether the line arrives whole or byte by byte.
TEST(ReplyReaderTest, FirstLimitCrossedFailsHoweverTheBytesArrive) {
    const ReplyLimits limits{.line = 8, .reply = 24};
    const std::string head = "HTTP/1 2\r\nA: 12345\r\n"; // 20 of the 24 bytes
    const std::pair<std::string, const char*> cases[] = {
        {head + "B: 123456789\r\n", http::ReplyTooLarge},
        {head + "B\r\n\r\n", http::ReplyTooLarge},
        {"HTTP/1 2\r\nB: 1234567\r\n", http::MaxLineLengthExceeded},
        {"HTTP/1 2\r\nB: 123456789", http::MaxLineLengthExceeded},
    };
    for (const auto& [text, error] : cases) {
        SCOPED_TRACE(text);
        const std::string_view bytes = text;
        const Outcome expected{"", "", error};
        EXPECT_EQ(Read({bytes}, true, limits), expected);
        EXPECT_EQ(Read(OneByteEach(bytes), true, limits), expected);
    }
}

TEST(ReplyReaderTest, HeadersAndCookiesOfEveryHeadAreKept) {
    ReplyReader reader;
    reader.Feed("HTTP/1.1 100 Continue\r\nSet-Cookie: a=1\r\n\r\n"
                "HTTP/1.1 302 Found\r\nlocation:  /elsewhere \r\nSet-Cookie2: b=2\r\n"
                "X-Folded: one\r\n two\r\nContent-Length: 0\r\n\r\n");
    ASSERT_TRUE(reader.Done());
    EXPECT_EQ(reader.Head().status, 302);
    ASSERT_NE(reader.Head().Find("Location"), nullptr);
    EXPECT_EQ(*reader.Head().Find("Location"), "/elsewhere");
    EXPECT_EQ(*reader.Head().Find("x-folded"), "one two");
    EXPECT_EQ(reader.SetCookies(), (std::vector<std::string>{"a=1", "b=2"}));
}

TEST(ReplyReaderTest, StatusCodeIsTheNumberAfterTheVersion) {
    const std::pair<const char*, int> cases[] = {{"HTTP/1.1 404 Not Found", 404},
                                                 {"HTTP/1.0 200", 200},
                                                 {"garbage", -1},
                                                 {"HTTP/1.1 OK", -1}};
    for (const auto& [line, status] : cases) {
        ReplyReader reader;
        reader.Feed(std::string(line) + "\r\n\r\n");
        EXPECT_EQ(reader.Head().status, status) << line;
    }
}

} // namespace
} // namespace lexfall
