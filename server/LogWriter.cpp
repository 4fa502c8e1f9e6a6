// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/LogWriter.h"

#include <ctime>

namespace lexfall::server {

std::string EscapeForLog(std::string_view value) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(value.size());
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || byte == '\\') {
            escaped += "\\x";
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 15];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

void LogWriter::Line(std::string_view text) {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ ", &parts);
    std::string line = stamp;
    line.append(text);
    line += '\n';
    std::lock_guard lock(mutex_);
    out_ << line << std::flush;
}

} // namespace lexfall::server
