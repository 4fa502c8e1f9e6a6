// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/RecordRules.h"

#include "online/ShortDate.h"
#include "records/RecordsProtocol.h"
#include "records/ScoreRec.h"

#include <array>
#include <cstdint>

namespace lexfall::server {

bool IsRecordDate(std::string_view text) {
    // The form every game writes now; then the short forms older copies wrote.
    if (ParseShortDate(text, ShortDateFormat{protocol::kRecordDatePattern, 2000}))
        return true;
    // Each day and month takes one or two digits, so "3/28/03" and "28. 3. 2003" both read.
    // Day-first and month-first forms are both taken: the server cannot know the sender's
    // locale, and either way the text is a date.
    static constexpr std::array kForms = {"%m/%d/%y",   "%m/%d/%Y",    "%d/%m/%y", "%d/%m/%Y",
                                          "%d.%m.%y",   "%d.%m.%Y",    "%d-%m-%y", "%d-%m-%Y",
                                          "%Y/%m/%d",   "%Y.%m.%d",    "%y-%m-%d", "%y/%m/%d",
                                          "%d. %m. %Y", "%Y. %m. %d.", "%d.%m.%Y."};
    for (const char* form : kForms) {
        if (ParseShortDate(text, ShortDateFormat{form, 2000}))
            return true;
    }
    return false;
}

bool IsGameRecord(const ServerRecord& rec) {
    if (rec.CompletedWords < 1)
        return false;
    if (static_cast<std::int64_t>(rec.UsedLetters) <
        3 * static_cast<std::int64_t>(rec.CompletedWords))
        return false;
    if (rec.UsedTime < 0)
        return false;
    TScoreRec figures{};
    figures.CompletedWords = rec.CompletedWords;
    figures.UsedTime = rec.UsedTime;
    figures.UsedLetters = rec.UsedLetters;
    figures.Total = rec.Total;
    // The very rule the game checks its record file with, so a game's record is never refused.
    return IsValidRecord(figures) && IsRecordDate(rec.Date);
}

} // namespace lexfall::server
