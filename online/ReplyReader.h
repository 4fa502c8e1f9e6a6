// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "online/HttpFailures.h"
#include "platform/CookieStore.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lexfall {

// The status line and header lines of a reply.
struct ReplyHead {
    std::string statusLine;
    int status = -1; // -1 when the status line holds no number
    std::vector<std::pair<std::string, std::string>> headers;

    // The first header of that name (any letter case); nothing when there is none.
    const std::string* Find(std::string_view name) const;
};

// How much of a reply is held before it fails; smaller limits exercise the same paths with
// small inputs.
struct ReplyLimits {
    std::size_t line = http::MaxLineLength;
    std::size_t reply = http::MaxReplySize;
};

// Reads an HTTP/1.1 reply from the bytes as they arrive, in pieces of any size; no I/O. Lines
// end at LF, a CR before it dropped. A status of 100 is followed by the real head. The body
// is Content-Length bytes, chunked, or everything up to the close. Failures throw Error with
// the texts of online/HttpFailures.h (a bad chunk size: the conversion error).
class ReplyReader {
public:
    explicit ReplyReader(ReplyLimits limits = {}) : limits_(limits) {}

    // Takes the next bytes of the reply. Bytes after the end of the reply are ignored.
    void Feed(std::string_view bytes);
    // The peer closed the connection: ends a body read to the close, or throws
    // ClosedGracefully when the reply is not complete.
    void Close();

    bool HeadDone() const { return phase_ > Phase::Headers; }
    bool Done() const { return phase_ == Phase::Done; }
    // The body has neither a length nor chunks: only the close ends it.
    bool ReadsToClose() const { return phase_ == Phase::BodyToClose; }
    // The final head (after any 100); complete once HeadDone().
    const ReplyHead& Head() const { return head_; }
    // The values of the Set-Cookie and Set-Cookie2 headers of every head read so far, within
    // CookieLimits: lines too long are skipped, and no more than kPerReply are kept.
    const std::vector<std::string>& SetCookies() const { return setCookies_; }
    std::string TakeBody() { return std::move(body_); }

private:
    enum class Phase {
        StatusLine,
        Headers,
        FixedBody,
        ChunkSize,
        ChunkData,
        ChunkEnd,
        Trailers,
        BodyToClose,
        Done
    };

    // Consumes bytes up to and including the next LF; true with the line in line_ when one
    // is complete.
    bool TakeLine(std::string_view& bytes);
    void OnLine(std::string line);
    void EndHead();
    void AddBody(std::string_view bytes);

    ReplyLimits limits_;
    Phase phase_ = Phase::StatusLine;
    std::string line_;
    std::size_t headBytes_ = 0;
    ReplyHead head_;
    std::vector<std::string> setCookies_;
    std::uint64_t remaining_ = 0; // of the fixed body or the current chunk
    std::string body_;
};

struct Reply {
    ReplyHead head;
    std::string body;
};

} // namespace lexfall
