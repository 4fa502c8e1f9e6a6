// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace lexfall {

// The few multimedia command texts the game sends for its music, understood on platforms
// that have no such interface of their own.
enum class MciVerb { Open, Play, Stop, Close };

struct MciCommand {
    MciVerb verb = MciVerb::Play;
    std::string alias; // as written; aliases are matched without regard to case
    std::string path;  // Open only, as written, quotes removed
};

// Reads "OPEN \"<path>\" [TYPE SEQUENCER] ALIAS <alias>", "PLAY <alias> [FROM 0]",
// "STOP <alias>" and "CLOSE <alias>", keywords in any letter case. Anything else, including
// other options and positions, gives nothing.
std::optional<MciCommand> ParseMciCommand(std::string_view text);

} // namespace lexfall
