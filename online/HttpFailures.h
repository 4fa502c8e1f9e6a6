// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>

// What a failed request raises, besides the socket errors and the reply's own status line.
namespace lexfall::http {

inline constexpr const char* ClosedGracefully = "Connection Closed Gracefully.";
inline constexpr const char* MaxLineLengthExceeded = "Max line length exceeded.";
inline constexpr const char* ReplyTooLarge = "Reply too large.";
inline constexpr const char* ReadTimedOut = "Read timed out.";
inline constexpr const char* ClosedWithoutGoodbye =
    "The server closed the connection without ending TLS, so its reply may be incomplete.";
inline constexpr const char* NoStatusLine =
    "The server's reply began with an empty line instead of a status line.";

// A status or header line may hold this many characters, the dropped CR not counted.
inline constexpr std::size_t MaxLineLength = 16384;
// The replies are one line; a server sending more than this, in the heads or in the body, is
// not a records server.
inline constexpr std::size_t MaxReplySize = 1024 * 1024;

} // namespace lexfall::http
