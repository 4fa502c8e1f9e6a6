// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The server's one log: every line goes out whole through one writer, so request lines and
// error lines from different threads never mix, and what a client sent is escaped so it
// cannot start a line of its own or drive a terminal. A flood of lines (refused connections, a
// database that fails every request) cannot fill the disk: lines past a cap per second are
// counted and dropped, and an error that repeats is written once a second with its count.
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace lexfall::server {

// Control characters, bytes above 0x7e, blanks and backslashes as \xNN; a logged value
// stays one field of one line.
std::string EscapeForLog(std::string_view value);
// The same, blanks kept: for a text of the server's own that may quote a client's bytes.
std::string EscapeControls(std::string_view value);

class LogWriter {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::size_t kDefaultLinesPerSecond = 1000;

    explicit LogWriter(std::ostream& out, std::size_t linesPerSecond = kDefaultLinesPerSecond,
                       Clock clock = std::chrono::steady_clock::now)
        : out_(out), linesPerSecond_(linesPerSecond), clock_(std::move(clock)) {}
    ~LogWriter() { Flush(); }

    // Writes "TIME text\n" in one piece. text is trusted: escape client values first.
    void Line(std::string_view text);
    // A line that may come again and again: the same text within a second of its last
    // writing is only counted, and the count goes out with the next different one or a
    // second later.
    void Repeating(std::string_view text);
    // Writes what is still counted: dropped lines, repeats.
    void Flush();

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    void Write(std::string_view text);
    bool Admit(TimePoint now);
    void WriteRepeats();
    void WriteDropped();

    std::ostream& out_;
    std::size_t linesPerSecond_;
    Clock clock_;
    std::mutex mutex_;
    TimePoint second_{};
    std::size_t inSecond_ = 0;
    std::size_t dropped_ = 0;
    std::string repeated_;
    TimePoint repeatedAt_{};
    std::size_t repeats_ = 0;
};

} // namespace lexfall::server
