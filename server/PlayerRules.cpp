// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/PlayerRules.h"

#include "records/ScoreRec.h"
#include "text/Text.h"

#include <algorithm>

namespace lexfall::server {

namespace {

using text::IsControlAscii;

// Longer than any mailbox can be.
constexpr std::size_t kMaxEmailLength = 254;

} // namespace

std::optional<std::string> NameProblem(std::string_view name) {
    if (name.empty())
        return "the name is empty";
    if (name.size() > kMaxNameLength)
        return "the name is " + std::to_string(name.size()) + " bytes long; the game keeps " +
               std::to_string(kMaxNameLength);
    // The record text joins its fields with ",": such a player could never store a record.
    if (name.find(',') != std::string_view::npos)
        return "the name holds a comma, which the record text uses between its fields";
    if (std::any_of(name.begin(), name.end(), IsControlAscii))
        return "the name may not hold control characters";
    // The settings file drops blanks around a value, so the game would send another name.
    if (name.front() == ' ' || name.back() == ' ')
        return "the name begins or ends with a blank";
    return std::nullopt;
}

std::optional<std::string> EmailProblem(std::string_view email) {
    const std::size_t at = email.find('@');
    if (at == std::string_view::npos || at == 0 || at + 1 == email.size() ||
        email.find('@', at + 1) != std::string_view::npos)
        return "the e-mail address is not of the form local@domain";
    if (email.size() > kMaxEmailLength)
        return "the e-mail address is longer than " + std::to_string(kMaxEmailLength) + " bytes";
    if (std::any_of(email.begin(), email.end(),
                    [](char c) { return c == ' ' || IsControlAscii(c); }))
        return "the e-mail address may not hold blanks or control characters";
    const std::string_view domain = email.substr(at + 1);
    if (domain.front() == '.' || domain.back() == '.' ||
        domain.find("..") != std::string_view::npos)
        return "the e-mail address has no valid domain after the @";
    return std::nullopt;
}

std::optional<std::string> Taken(const std::vector<PlayerSummary>& players, std::string_view name,
                                 std::string_view email, std::string_view self) {
    for (const PlayerSummary& player : players) {
        if (!self.empty() && player.Name == self)
            continue;
        if (!name.empty() && text::EqualNoCase(player.Name, name))
            return "the name is already registered as " + player.Name;
        if (!email.empty() && text::EqualNoCase(player.Email, email))
            return "the e-mail address is already registered to " + player.Name;
    }
    return std::nullopt;
}

} // namespace lexfall::server
