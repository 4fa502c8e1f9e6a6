#pragma once
// The three exchanges of the game, from query to reply body. Nothing here knows HTTP.
#include "server/Query.h"
#include "server/RecordStore.h"

#include <functional>
#include <string>
#include <variant>

namespace lexfall::server {

class RecordService {
public:
    using ErrorLog = std::function<void(const std::string&)>;

    RecordService(RecordStore& store, ErrorLog logError);

    // The world record's text, or the empty body when there is none or the database failed.
    std::string CheckWR();
    // "1" unknown user, "3" refused, "5" no record, "7" server fault, or the record's text.
    std::string GetMyRec(const Query& query);
    // "0" stored, "1", "3", "4" invalid record, "6" not better than the stored one, "7" fault.
    std::string PutMyRec(const Query& query);

private:
    // The player named by the query's user, e-mail and code, or the refusal "1" or "3".
    std::variant<PlayerEntry, std::string> Identify(const Query& query);

    RecordStore& store_;
    ErrorLog logError_;
};

} // namespace lexfall::server
