#include "online/RecordText.h"

#include "text/Error.h"
#include "text/Text.h"

#include <array>
#include <optional>

namespace lexfall {

namespace {

const ShortDateFormat IsoDates{"%Y-%m-%d", 2000};

// Only the full form counts as ISO: "03-03-28" must not be read as the year 3.
bool HasIsoShape(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// ISO first, which every copy writes now; then the player's own format, which older copies
// wrote and servers still hold.
std::optional<double> ParseRecordDate(std::string_view text, const ShortDateFormat& dates) {
    if (HasIsoShape(text))
        if (const auto date = ParseShortDate(text, IsoDates))
            return date;
    return ParseShortDate(text, dates);
}

} // namespace

std::string RecordText(const TScoreRec& rec) {
    return RecordName(rec) + "," + std::to_string(rec.CompletedWords) + "," +
           std::to_string(rec.UsedTime) + "," + std::to_string(rec.UsedLetters) + "," +
           std::to_string(rec.Total) + "," + FormatShortDate(rec.Date, IsoDates);
}

void SplitToRec(std::string_view text, TScoreRec& rec, const ShortDateFormat& dates) {
    // Missing fields are empty texts (never null views).
    std::array<std::string_view, 5> fields;
    fields.fill(std::string_view(""));
    std::string_view rest = text;
    for (std::string_view& field : fields) {
        const auto comma = rest.find(',');
        if (comma == std::string_view::npos)
            break;
        field = rest.substr(0, comma);
        rest.remove_prefix(comma + 1);
    }
    // Parsed into a copy: a field that fails leaves the record as it was, so a half-changed
    // record can never be shown or saved.
    TScoreRec parsed = rec;
    SetRecordName(parsed, fields[0]);
    parsed.CompletedWords = text::StrToInt(fields[1]);
    parsed.UsedTime = text::StrToInt(fields[2]);
    parsed.UsedLetters = text::StrToInt(fields[3]);
    parsed.Total = text::StrToInt(fields[4]);
    const auto date = ParseRecordDate(rest, dates);
    if (!date)
        throw Error("'" + std::string(rest) + "' is not a valid date");
    parsed.Date = *date;
    rec = parsed;
}

} // namespace lexfall
