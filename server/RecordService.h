// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three exchanges of the game, from query to reply body. Nothing here knows HTTP.
#include "records/RecordsProtocol.h"
#include "server/Query.h"
#include "server/RecordStore.h"
#include "server/WrongCodeLimit.h"

#include <functional>
#include <string>
#include <string_view>
#include <variant>

namespace lexfall::server {

class RecordService {
public:
    using ErrorLog = std::function<void(const std::string&)>;

    // logNotice hears what an operator should know that is no error, such as a wrong access
    // code or a blocked address, as plain text with the client's values already escaped;
    // clock times the limit on wrong access codes.
    RecordService(RecordStore& store, ErrorLog logError, ErrorLog logNotice = {},
                  WrongCodeLimit::Clock clock = std::chrono::steady_clock::now);

    // The world record's text, or the empty body when there is none or the database failed.
    std::string CheckWR();
    // "1" unknown user, "3" refused, "5" no record, "7" server fault, or the record's text.
    // peer is the client's address, for limits that apply per address; empty when unknown.
    std::string GetMyRec(const Query& query, std::string_view peer = {});
    // "0" stored, "1", "3", "4" invalid record, "6" not better than the stored one, "7" fault.
    // A record is stored under the player's registered name, whatever name its text carries.
    std::string PutMyRec(const Query& query, std::string_view peer = {});
    // The standings page: the world record and the top players, as HTML.
    std::string StandingsPage();

    // Players shown on the standings page.
    static constexpr std::size_t kPagePlayers = 20;

private:
    // The player named by the query's user, e-mail and code, or the refusal: unknown user or
    // code refused.
    std::variant<PlayerEntry, protocol::ReplyCode> Identify(const Query& query,
                                                            std::string_view peer);

    RecordStore& store_;
    ErrorLog logError_;
    ErrorLog logNotice_;
    WrongCodeLimit wrongCodes_;
};

} // namespace lexfall::server
