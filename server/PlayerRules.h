// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a player's name and e-mail address must be, so the player can store records at all.
#include "server/RecordStore.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexfall::server {

// The one-line reason name cannot be a player's name, or nothing when it can.
std::optional<std::string> NameProblem(std::string_view name);
// The one-line reason email is no address of the form local@domain, or nothing.
std::optional<std::string> EmailProblem(std::string_view email);
// The reason name or email is already registered to a player other than self, in any letter
// case; an empty name or email is not compared.
std::optional<std::string> Taken(const std::vector<PlayerSummary>& players, std::string_view name,
                                 std::string_view email, std::string_view self = {});

} // namespace lexfall::server
