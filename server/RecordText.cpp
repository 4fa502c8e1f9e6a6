#include "server/RecordText.h"

#include "server/RecordRules.h"
#include "text/Numbers.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace lexfall::server {

namespace {

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos)
            return fields;
        text.remove_prefix(comma + 1);
    }
}

// Digits only: the game writes counts in plain decimal, so a sign or a blank means a
// damaged or hand-made text.
std::optional<std::int32_t> Count(std::string_view field) {
    return text::ParseDigits(field);
}

} // namespace

std::optional<ServerRecord> ParseValidRecord(std::string_view text) {
    const std::vector<std::string_view> fields = SplitFields(text);
    if (fields.size() != 6)
        return std::nullopt;
    const auto words = Count(fields[1]);
    const auto time = Count(fields[2]);
    const auto letters = Count(fields[3]);
    const auto total = Count(fields[4]);
    if (!words || !time || !letters || !total)
        return std::nullopt;
    // The name is kept only for the caller to see: a record is stored under the registered
    // name, whatever its text says.
    ServerRecord rec{std::string(fields[0]), *words, *time, *letters, *total,
                     std::string(fields[5])};
    if (!IsGameRecord(rec))
        return std::nullopt;
    return rec;
}

std::string RecordText(const ServerRecord& rec) {
    return rec.Name + ',' + std::to_string(rec.CompletedWords) + ',' +
           std::to_string(rec.UsedTime) + ',' + std::to_string(rec.UsedLetters) + ',' +
           std::to_string(rec.Total) + ',' + rec.Date;
}

} // namespace lexfall::server
