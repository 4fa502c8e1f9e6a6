// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record text as the server reads and writes it. The server keeps the date as the sender
// wrote it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lexfall::server {

struct ServerRecord {
    std::string Name;
    std::int32_t CompletedWords = 0;
    std::int32_t UsedTime = 0;
    std::int32_t UsedLetters = 0;
    std::int32_t Total = 0;
    std::string Date; // in the sender's short date format, never converted

    bool operator==(const ServerRecord&) const = default;
};

// The record of a text that the server accepts, or nothing: exactly six fields, four counts
// that are non-negative 32-bit decimals, and figures and a date that follow IsGameRecord.
std::optional<ServerRecord> ParseValidRecord(std::string_view text);

// The text the game reads back: counts in plain decimal, name and date as stored.
std::string RecordText(const ServerRecord& rec);

} // namespace lexfall::server
