// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which records the server stores: only those a real game can produce, so nobody can fix the
// standings with a record made by hand.
#include "server/RecordText.h"

#include <string_view>

namespace lexfall::server {

// True when rec could come from a finished game: at least one word, at least three letters a
// word (a cleared word takes three), a total that passes the game's own validity rule, and a
// date that reads as a date. The game's "No Record" placeholder has no words and never passes.
bool IsGameRecord(const ServerRecord& rec);

// True when text is a date the game writes: ISO 8601 or one of the common short date forms.
bool IsRecordDate(std::string_view text);

} // namespace lexfall::server
