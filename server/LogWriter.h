// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The server's one log: every line goes out whole through one writer, so request lines and
// error lines from different threads never mix, and what a client sent is escaped so it
// cannot start a line of its own or drive a terminal.
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace lexfall::server {

// Control characters, bytes above 0x7e, blanks and backslashes as \xNN; a logged value
// stays one field of one line.
std::string EscapeForLog(std::string_view value);

class LogWriter {
public:
    explicit LogWriter(std::ostream& out) : out_(out) {}

    // Writes "TIME text\n" in one piece. text is trusted: escape client values first.
    void Line(std::string_view text);

private:
    std::ostream& out_;
    std::mutex mutex_;
};

} // namespace lexfall::server
