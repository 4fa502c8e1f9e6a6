// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/RecordsProtocol.h"

namespace lexfall::protocol {

std::string ReplyText(ReplyCode code) {
    return std::string(1, static_cast<char>(code));
}

std::optional<ReplyCode> ReadReplyCode(std::string_view reply) {
    if (reply.size() != 1)
        return std::nullopt;
    for (const ReplyCode code : kReplyCodes)
        if (reply.front() == static_cast<char>(code))
            return code;
    return std::nullopt;
}

bool HasRecordDateShape(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

std::string JoinRecordFields(std::string_view name, std::int64_t words, std::int64_t time,
                             std::int64_t letters, std::int64_t total, std::string_view date) {
    std::string text(name);
    for (const std::int64_t count : {words, time, letters, total})
        text += ',' + std::to_string(count);
    text += ',';
    text += date;
    return text;
}

RecordFields SplitRecordFields(std::string_view text) {
    RecordFields fields;
    // Missing fields are empty texts, never null views.
    fields.Texts.fill(std::string_view(""));
    std::string_view rest = text;
    std::size_t found = 0;
    for (; found < DateField; ++found) {
        const auto comma = rest.find(',');
        if (comma == std::string_view::npos)
            break;
        fields.Texts[found] = rest.substr(0, comma);
        rest.remove_prefix(comma + 1);
    }
    fields.Texts[DateField] = rest;
    fields.Complete = found == DateField && rest.find(',') == std::string_view::npos;
    return fields;
}

} // namespace lexfall::protocol
