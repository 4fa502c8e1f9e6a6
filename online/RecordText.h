// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "online/ShortDate.h"
#include "records/ScoreRec.h"

#include <string>
#include <string_view>

namespace lexfall {

// A score record as the records server exchanges it: name, words, time, letters, total and
// date, joined by ",", the date as yyyy-mm-dd so that it reads the same on every desktop.
std::string RecordText(const TScoreRec& rec);

// Parses a record text into rec, taking the name's first 20 characters and no validity check.
// The date is the rest after the fifth ",", read as yyyy-mm-dd or else in dates (the form
// older copies wrote); missing fields are empty. A field that does not
// convert throws "'%s' is not a valid integer value" or "'%s' is not a valid date", the
// fields checked in their order, and rec is then left as it was.
void SplitToRec(std::string_view text, TScoreRec& rec, const ShortDateFormat& dates);

} // namespace lexfall
