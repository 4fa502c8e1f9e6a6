// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/RecordText.h"

#include "records/RecordsProtocol.h"
#include "text/Error.h"
#include "text/Text.h"

#include <optional>

namespace lexfall {

namespace {

const ShortDateFormat IsoDates{protocol::kRecordDatePattern, 2000};

// ISO first, which every copy writes now; then the player's own format, which older copies
// wrote and servers still hold.
std::optional<double> ParseRecordDate(std::string_view text, const ShortDateFormat& dates) {
    // Only the full form counts as ISO: "03-03-28" must not be read as the year 3.
    if (protocol::HasRecordDateShape(text))
        if (const auto date = ParseShortDate(text, IsoDates))
            return date;
    return ParseShortDate(text, dates);
}

} // namespace

std::string RecordText(const TScoreRec& rec) {
    return protocol::JoinRecordFields(RecordName(rec), rec.CompletedWords, rec.UsedTime,
                                      rec.UsedLetters, rec.Total,
                                      FormatShortDate(rec.Date, IsoDates));
}

void SplitToRec(std::string_view text, TScoreRec& rec, const ShortDateFormat& dates) {
    using namespace protocol;
    const RecordFields fields = SplitRecordFields(text);
    // Parsed into a copy: a field that fails leaves the record as it was, so a half-changed
    // record can never be shown or saved.
    TScoreRec parsed = rec;
    SetRecordName(parsed, fields[NameField]);
    parsed.CompletedWords = text::StrToInt(fields[WordsField]);
    parsed.UsedTime = text::StrToInt(fields[TimeField]);
    parsed.UsedLetters = text::StrToInt(fields[LettersField]);
    parsed.Total = text::StrToInt(fields[TotalField]);
    const auto date = ParseRecordDate(fields[DateField], dates);
    if (!date)
        throw Error("'" + std::string(fields[DateField]) + "' is not a valid date");
    parsed.Date = *date;
    rec = parsed;
}

} // namespace lexfall
