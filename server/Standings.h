// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The standings as the operator's command prints them and as the page shows them.
#include "server/RecordText.h"

#include <string>
#include <vector>

namespace lexfall::server {

struct Standing {
    int Rank = 0; // equal totals share a rank
    ServerRecord Record;
};

// records as Standings gives them, best first.
std::vector<Standing> Ranked(const std::vector<ServerRecord>& records);

// One line a player under a heading: rank, name, total, words, seconds, letters, date.
std::string StandingsText(const std::vector<Standing>& standings);
// An array of objects with rank, name, total, words, seconds, letters and date.
std::string StandingsJson(const std::vector<Standing>& standings);
// One self-contained page: the world record and the table, no scripts, no outside files.
std::string StandingsHtml(const std::vector<Standing>& standings);
// The page shown while the database cannot be read.
std::string StandingsUnavailableHtml();

} // namespace lexfall::server
