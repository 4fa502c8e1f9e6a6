// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/LogWriter.h"

#include <ctime>

namespace lexfall::server {

namespace {

std::string Escape(std::string_view value, bool keepBlanks) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(value.size());
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte <= 0x20 && !(keepBlanks && byte == ' ')) || byte >= 0x7f || byte == '\\') {
            escaped += "\\x";
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 15];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

constexpr std::chrono::seconds kSecond{1};

} // namespace

std::string EscapeForLog(std::string_view value) {
    return Escape(value, false);
}

std::string EscapeControls(std::string_view value) {
    return Escape(value, true);
}

void LogWriter::Write(std::string_view text) {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ ", &parts);
    std::string line = stamp;
    line.append(text);
    line += '\n';
    out_ << line << std::flush;
}

// Called with the mutex held: whether one more line fits this second.
bool LogWriter::Admit(TimePoint now) {
    if (now - second_ >= kSecond) {
        WriteDropped();
        second_ = now;
        inSecond_ = 0;
    }
    if (inSecond_ >= linesPerSecond_) {
        ++dropped_;
        return false;
    }
    ++inSecond_;
    return true;
}

void LogWriter::WriteRepeats() {
    if (repeats_ > 0)
        Write(repeated_ + " (" + std::to_string(repeats_) + " times more)");
    repeats_ = 0;
}

void LogWriter::WriteDropped() {
    if (dropped_ > 0)
        Write("- log " + std::to_string(dropped_) + " lines dropped past " +
              std::to_string(linesPerSecond_) + " a second");
    dropped_ = 0;
}

void LogWriter::Line(std::string_view text) {
    const auto now = clock_();
    std::lock_guard lock(mutex_);
    if (repeats_ > 0 && now - repeatedAt_ >= kSecond)
        WriteRepeats();
    if (Admit(now))
        Write(text);
}

void LogWriter::Repeating(std::string_view text) {
    const auto now = clock_();
    std::lock_guard lock(mutex_);
    if (text == repeated_ && now - repeatedAt_ < kSecond) {
        ++repeats_;
        return;
    }
    if (text == repeated_ && repeats_ > 0) {
        // A second of repeats ends: one line for all of them, this one included.
        ++repeats_;
        WriteRepeats();
        repeatedAt_ = now;
        return;
    }
    WriteRepeats();
    repeated_ = std::string(text);
    repeatedAt_ = now;
    if (Admit(now))
        Write(text);
}

void LogWriter::Flush() {
    std::lock_guard lock(mutex_);
    WriteRepeats();
    WriteDropped();
}

} // namespace lexfall::server
