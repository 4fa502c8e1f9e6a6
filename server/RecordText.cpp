// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/RecordText.h"

#include "records/RecordsProtocol.h"
#include "server/RecordRules.h"
#include "text/Numbers.h"

#include <algorithm>
#include <charconv>

namespace lexfall::server {

namespace {

// Digits only: the game writes counts in plain decimal, so a sign or a blank means a
// damaged or hand-made text.
std::optional<std::int32_t> Count(std::string_view field) {
    return text::ParseDigits(field);
}

} // namespace

std::optional<ServerRecord> ParseValidRecord(std::string_view text) {
    using namespace protocol;
    const RecordFields fields = SplitRecordFields(text);
    if (!fields.Complete)
        return std::nullopt;
    const auto words = Count(fields[WordsField]);
    const auto time = Count(fields[TimeField]);
    const auto letters = Count(fields[LettersField]);
    const auto total = Count(fields[TotalField]);
    if (!words || !time || !letters || !total)
        return std::nullopt;
    // The name is kept only for the caller to see: a record is stored under the registered
    // name, whatever its text says.
    ServerRecord rec{std::string(fields[NameField]), *words, *time, *letters, *total,
                     std::string(fields[DateField])};
    if (!IsGameRecord(rec))
        return std::nullopt;
    return rec;
}

std::string RecordText(const ServerRecord& rec) {
    return protocol::JoinRecordFields(rec.Name, rec.CompletedWords, rec.UsedTime, rec.UsedLetters,
                                      rec.Total, rec.Date);
}

} // namespace lexfall::server
