// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/RecordService.h"

#include "records/RecordsProtocol.h"
#include "records/ScoreRec.h"
#include "server/AccessCode.h"
#include "server/LogWriter.h"
#include "server/Standings.h"
#include "text/SystemText.h"
#include "text/Text.h"

namespace lexfall::server {

using protocol::ReplyCode;
using protocol::ReplyText;

RecordService::RecordService(RecordStore& store, ErrorLog logError, ErrorLog logNotice,
                             WrongCodeLimit::Clock clock)
    : store_(store), logError_(std::move(logError)), logNotice_(logNotice),
      wrongCodes_(std::move(clock), std::move(logNotice)) {}

std::variant<PlayerEntry, ReplyCode> RecordService::Identify(const Query& query,
                                                             std::string_view peer) {
    const auto user = query.Value(protocol::kUserKey);
    if (!user || user->empty())
        return ReplyCode::UnknownUser;
    // Refused unchecked while blocked, so guessing gains nothing, not even timing.
    if (wrongCodes_.Blocked(peer))
        return ReplyCode::CodeRefused;
    auto player = store_.FindPlayer(*user);
    if (!player)
        return ReplyCode::UnknownUser;
    const auto email = query.Value(protocol::kEmailKey);
    const auto code = query.Value(protocol::kCodeKey);
    // A query without both is no guess and is not counted.
    if (!email || !code)
        return ReplyCode::CodeRefused;
    // Addresses are matched without regard to letter case, as mail systems do in practice.
    const bool matches = SameHash(HashAccessCode(store_.HashKey(), *code), player->CodeHash) &&
                         text::EqualNoCase(*email, player->Email);
    if (!matches) {
        wrongCodes_.Wrong(peer);
        if (logNotice_)
            logNotice_("wrong access code for " + EscapeForLog(*user) + " from " +
                       (peer.empty() ? std::string("-") : EscapeForLog(peer)));
        return ReplyCode::CodeRefused;
    }
    return std::move(*player);
}

std::string RecordService::CheckWR() {
    try {
        const auto best = store_.WorldRecord();
        return best ? RecordText(*best) : std::string();
    } catch (const std::exception& error) {
        logError_(error.what());
        return {};
    }
}

std::string RecordService::GetMyRec(const Query& query, std::string_view peer) {
    try {
        const auto player = Identify(query, peer);
        if (const auto* refused = std::get_if<ReplyCode>(&player))
            return ReplyText(*refused);
        const auto& record = std::get<PlayerEntry>(player).Record;
        return record ? RecordText(*record) : ReplyText(ReplyCode::NoRecord);
    } catch (const std::exception& error) {
        logError_(error.what());
        return ReplyText(ReplyCode::ServerFailed);
    }
}

std::string RecordService::PutMyRec(const Query& query, std::string_view peer) {
    try {
        if (const auto player = Identify(query, peer); std::holds_alternative<ReplyCode>(player))
            return ReplyText(std::get<ReplyCode>(player));
        const auto text = query.Value(protocol::kRecordKey);
        auto record = text ? ParseValidRecord(*text) : std::nullopt;
        if (!record)
            return ReplyText(ReplyCode::InvalidRecord);
        const std::string user = *query.Value(protocol::kUserKey);
        // The name the game would write for this player, so nobody can post as another.
        record->Name = std::string(KeepFirstBytes(user, kMaxNameLength));
        switch (store_.PutIfBetter(user, *record)) {
        case PutResult::Stored:
            return ReplyText(ReplyCode::Stored);
        case PutResult::NotBetter:
            return ReplyText(ReplyCode::NotBetter);
        case PutResult::NoPlayer: // removed since the check above
            return ReplyText(ReplyCode::UnknownUser);
        }
        return ReplyText(ReplyCode::ServerFailed);
    } catch (const std::exception& error) {
        logError_(error.what());
        return ReplyText(ReplyCode::ServerFailed);
    }
}

std::string RecordService::StandingsPage() {
    try {
        return StandingsHtml(Ranked(store_.Standings(kPagePlayers)));
    } catch (const std::exception& error) {
        logError_(error.what());
        return StandingsUnavailableHtml();
    }
}

} // namespace lexfall::server
