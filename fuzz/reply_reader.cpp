// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP reply reader over any byte stream: fed whole, in pieces split at random and byte by
// byte, it ends in the same outcome, a reply or one of the known failure texts, and never holds
// more than the memory cap. Most inputs choose small limits, so the limit paths are reached by
// short streams and the run rate stays high; the rest use the real ones.
#include "FuzzSupport.h"
#include "online/HttpFailures.h"
#include "online/ReplyReader.h"
#include "support/WholeReply.h"
#include "text/Error.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace lexfall;
using lexfall::testing::ReadWholeReply;

struct Outcome {
    std::string error; // empty when the reply was read
    Reply reply;
    std::vector<std::string> cookies;
};

// ReadWholeReply gives no cookies, so they are compared only between readers.
bool SameOutcome(const Outcome& a, const Outcome& b, bool cookies = true) {
    return (!cookies || a.cookies == b.cookies) && a.error == b.error &&
           a.reply.body == b.reply.body && a.reply.head.statusLine == b.reply.head.statusLine &&
           a.reply.head.status == b.reply.head.status &&
           a.reply.head.headers == b.reply.head.headers;
}

bool KnownFailure(const std::string& text, const ReplyLimits& limits) {
    if (text == http::ClosedGracefully || text == http::MaxLineLengthExceeded ||
        text == http::ReplyTooLarge)
        return true;
    // A bad chunk size; its line is within the line limit. A NUL in the line ends the text
    // there, as the message box would show it.
    const std::string tail = "' is not a valid integer value";
    if (text.empty() || text.front() != '\'' || text.size() > 1 + limits.line + tail.size())
        return false;
    return text.size() <= 1 + limits.line ||
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void CheckWithinCap(const ReplyReader& reader, const std::string& body, const ReplyLimits& limits) {
    FUZZ_CHECK(body.size() <= limits.reply);
    std::size_t head = reader.Head().statusLine.size();
    for (const auto& [name, value] : reader.Head().headers)
        head += name.size() + value.size();
    FUZZ_CHECK(head <= limits.reply);
}

Outcome Whole(std::string_view stream, const ReplyLimits& limits) {
    Outcome outcome;
    try {
        outcome.reply = ReadWholeReply(stream, limits);
    } catch (const Error& error) {
        outcome.error = error.what();
    }
    FUZZ_CHECK(outcome.reply.body.size() <= limits.reply);
    return outcome;
}

// Feeds the stream in pieces ending at the cuts, then closes.
Outcome Pieces(std::string_view stream, const std::vector<std::size_t>& cuts,
               const ReplyLimits& limits) {
    Outcome outcome;
    ReplyReader reader(limits);
    try {
        std::size_t at = 0;
        for (const std::size_t cut : cuts) {
            reader.Feed(stream.substr(at, cut - at));
            at = cut;
        }
        reader.Feed(stream.substr(at));
        reader.Close();
        FUZZ_CHECK(reader.Done() && reader.HeadDone());
        outcome.reply.head = reader.Head();
        outcome.cookies = reader.SetCookies();
        // However many cookie lines came, a store is handed only a bounded few.
        FUZZ_CHECK(outcome.cookies.size() <= CookieLimits::kPerReply);
        for (const std::string& cookie : outcome.cookies)
            FUZZ_CHECK(cookie.size() <= CookieLimits::kLineBytes);
        outcome.reply.body = reader.TakeBody();
        CheckWithinCap(reader, outcome.reply.body, limits);
    } catch (const Error& error) {
        outcome.error = error.what();
    }
    return outcome;
}

// A reply made here from a body and a framing, so the body it must give back is known without
// asking the reader: this catches a decoding fault that every feeding pattern shares.
std::string FramedReply(const std::string& body, unsigned framing, std::mt19937& random) {
    std::string reply = "HTTP/1.1 200 OK\r\n";
    switch (framing % 3) {
    case 0:
        return reply + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body +
               "trailing bytes past the length";
    case 1: {
        reply += "Transfer-Encoding: chunked\r\n\r\n";
        std::uniform_int_distribution<std::size_t> size(1, 64);
        for (std::size_t at = 0; at < body.size();) {
            const std::size_t count = std::min(size(random), body.size() - at);
            char line[32];
            std::snprintf(line, sizeof line, (random() & 1) ? "%zx\r\n" : "%zX;ext=1\r\n", count);
            reply += line + body.substr(at, count) + "\r\n";
            at += count;
        }
        return reply + "0\r\nTrailer: x\r\n\r\n";
    }
    default:
        return reply + "Connection: close\r\n\r\n" + body;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::uint32_t seed = data.ConsumeIntegral<std::uint32_t>();
    // An input that ends early reads as zeros, so zero picks the small limits.
    ReplyLimits limits;
    const bool realLimits = data.ConsumeIntegral<std::uint8_t>() == 0xFF;
    if (!realLimits) {
        limits.line = data.ConsumeIntegralInRange<std::size_t>(0, 64);
        limits.reply = data.ConsumeIntegralInRange<std::size_t>(0, 320);
    }
    const auto repeat = data.ConsumeIntegralInRange<std::size_t>(0, 3000);
    const std::string head = data.ConsumeRandomLengthString();
    const std::string unit = data.ConsumeRandomLengthString(1024);
    const std::string tail = data.ConsumeRemainingBytesAsString();
    // A part of the input repeated makes streams past the limits from small inputs. With the
    // real limits only one long line is made this way: the reply limit runs the same code as a
    // small one, and thousands of header lines per input would slow the run to a crawl.
    std::size_t longest = 2 * (limits.line + limits.reply) + 64;
    if (realLimits)
        longest = unit.find('\n') == std::string::npos ? http::MaxLineLength + 64 : 0;
    std::string stream = head;
    for (std::size_t i = 0; i < repeat && stream.size() < longest; ++i)
        stream += unit;
    stream += tail;

    // Any bytes at all as a body, framed three ways, come back exactly.
    if (unit.size() <= 1024) {
        std::mt19937 framingRandom(seed);
        const std::string framed = FramedReply(unit, seed >> 30, framingRandom);
        const Outcome known = Whole(framed, ReplyLimits{});
        FUZZ_CHECK(known.error.empty() && known.reply.head.status == 200);
        FUZZ_CHECK(known.reply.body == unit);
    }

    const Outcome whole = Whole(stream, limits);
    FUZZ_CHECK(whole.error.empty() || KnownFailure(whole.error, limits));

    std::mt19937 random(seed);
    std::vector<std::size_t> cuts;
    if (!stream.empty()) {
        std::uniform_int_distribution<std::size_t> at(0, stream.size());
        const std::size_t count = std::uniform_int_distribution<std::size_t>(0, 16)(random);
        for (std::size_t i = 0; i < count; ++i)
            cuts.push_back(at(random));
        std::sort(cuts.begin(), cuts.end());
    }
    const Outcome oneFeed = Pieces(stream, {}, limits);
    FUZZ_CHECK(SameOutcome(whole, oneFeed, false));
    FUZZ_CHECK(SameOutcome(oneFeed, Pieces(stream, cuts, limits)));

    // Byte by byte only for short streams, to keep the run rate up.
    if (stream.size() <= 1024) {
        std::vector<std::size_t> everyByte(stream.size());
        for (std::size_t i = 0; i < stream.size(); ++i)
            everyByte[i] = i;
        FUZZ_CHECK(SameOutcome(oneFeed, Pieces(stream, everyByte, limits)));
    }
    return 0;
}
