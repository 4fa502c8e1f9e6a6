// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/ReplyReader.h"

#include "online/HttpFailures.h"
#include "text/Error.h"
#include "text/Numbers.h"
#include "text/Text.h"

#include <algorithm>
#include <charconv>

namespace lexfall {
namespace {

using text::TrimBlanks;

using text::ParseWhole;

// "HTTP/1.1 404 Not Found" gives 404.
int StatusCode(std::string_view statusLine) {
    const auto space = statusLine.find(' ');
    if (space == std::string_view::npos)
        return -1;
    std::string_view rest = statusLine.substr(space + 1);
    rest = rest.substr(0, rest.find(' '));
    int code = -1;
    return ParseWhole(rest, code) ? code : -1;
}

} // namespace

const std::string* ReplyHead::Find(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (text::EqualNoCase(key, name))
            return &value;
    }
    return nullptr;
}

void ReplyReader::Feed(std::string_view bytes) {
    while (!bytes.empty() && phase_ != Phase::Done) {
        switch (phase_) {
        case Phase::FixedBody:
        case Phase::ChunkData: {
            const auto take =
                static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, bytes.size()));
            AddBody(bytes.substr(0, take));
            bytes.remove_prefix(take);
            remaining_ -= take;
            if (remaining_ == 0)
                phase_ = phase_ == Phase::FixedBody ? Phase::Done : Phase::ChunkEnd;
            break;
        }
        case Phase::BodyToClose:
            AddBody(bytes);
            bytes = {};
            break;
        default: {
            // The heads count against the reply limit. Whichever limit the bytes cross first
            // fails, however they were split: a line is read no further than one byte past
            // the room left.
            const bool head = phase_ == Phase::StatusLine || phase_ == Phase::Headers ||
                              phase_ == Phase::Trailers;
            std::string_view piece = bytes;
            if (head && piece.size() > limits_.reply - headBytes_)
                piece = piece.substr(0, limits_.reply - headBytes_ + 1);
            const std::size_t before = piece.size();
            const bool complete = TakeLine(piece);
            const std::size_t taken = before - piece.size();
            bytes.remove_prefix(taken);
            if (head) {
                headBytes_ += taken;
                if (headBytes_ > limits_.reply)
                    throw Error(http::ReplyTooLarge);
            }
            if (complete)
                OnLine(std::exchange(line_, std::string()));
            break;
        }
        }
    }
}

void ReplyReader::Close() {
    switch (phase_) {
    case Phase::Done:
        return;
    case Phase::BodyToClose:
    case Phase::Trailers: // the last chunk has come; only its trailers were cut short
        phase_ = Phase::Done;
        return;
    default:
        throw Error(http::ClosedGracefully);
    }
}

bool ReplyReader::TakeLine(std::string_view& bytes) {
    const auto feed = bytes.find('\n');
    line_.append(bytes.substr(0, feed));
    if (feed == std::string_view::npos) {
        bytes = {};
        // One more for a CR that may still be followed by its LF.
        if (line_.size() > limits_.line + 1)
            throw Error(http::MaxLineLengthExceeded);
        return false;
    }
    bytes.remove_prefix(feed + 1);
    if (!line_.empty() && line_.back() == '\r')
        line_.pop_back();
    if (line_.size() > limits_.line)
        throw Error(http::MaxLineLengthExceeded);
    return true;
}

void ReplyReader::OnLine(std::string line) {
    switch (phase_) {
    case Phase::StatusLine:
        head_ = ReplyHead{};
        head_.status = StatusCode(line);
        head_.statusLine = std::move(line);
        phase_ = Phase::Headers;
        break;
    case Phase::Headers: {
        if (line.empty()) {
            EndHead();
        } else if ((line.front() == ' ' || line.front() == '\t') && !head_.headers.empty()) {
            // A folded line continues the header above it.
            head_.headers.back().second += " " + std::string(TrimBlanks(line));
        } else if (const auto colon = line.find(':'); colon != std::string::npos) {
            const std::string_view text = line;
            head_.headers.emplace_back(TrimBlanks(text.substr(0, colon)),
                                       TrimBlanks(text.substr(colon + 1)));
        }
        break;
    }
    case Phase::ChunkSize: {
        const std::string_view size = TrimBlanks(std::string_view(line).substr(0, line.find(';')));
        if (!ParseWhole(size, remaining_, 16))
            throw Error("'" + std::string(size) + "' is not a valid integer value");
        phase_ = remaining_ == 0 ? Phase::Trailers : Phase::ChunkData;
        break;
    }
    case Phase::ChunkEnd:
        phase_ = Phase::ChunkSize;
        break;
    case Phase::Trailers:
        if (line.empty())
            phase_ = Phase::Done;
        break;
    default:
        break;
    }
}

void ReplyReader::EndHead() {
    for (const auto& [name, value] : head_.headers) {
        // A flood of cookies is cut here, before any store spends time on it.
        if ((text::EqualNoCase(name, "Set-Cookie") || text::EqualNoCase(name, "Set-Cookie2")) &&
            value.size() <= CookieLimits::kLineBytes &&
            setCookies_.size() < CookieLimits::kPerReply)
            setCookies_.push_back(value);
    }
    const int status = head_.status;
    if (status == 100) {
        phase_ = Phase::StatusLine;
        return;
    }
    if ((status > 100 && status < 200) || status == 204 || status == 304) {
        phase_ = Phase::Done;
        return;
    }
    if (const std::string* coding = head_.Find("Transfer-Encoding");
        coding && text::ContainsNoCase(*coding, "chunked")) {
        phase_ = Phase::ChunkSize;
        return;
    }
    // A length that is not a number is no length: the body runs to the close.
    if (const std::string* length = head_.Find("Content-Length");
        length && ParseWhole(std::string_view(*length), remaining_)) {
        phase_ = remaining_ == 0 ? Phase::Done : Phase::FixedBody;
        return;
    }
    phase_ = Phase::BodyToClose;
}

void ReplyReader::AddBody(std::string_view bytes) {
    if (body_.size() + bytes.size() > limits_.reply)
        throw Error(http::ReplyTooLarge);
    body_.append(bytes);
}

} // namespace lexfall
