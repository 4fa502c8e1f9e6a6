// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "records/HistoryLine.h"

#include <filesystem>
#include <string>
#include <vector>

namespace lexfall {

// The history file "History.csv" beside the record file, in the same folder and opened the same
// way (links followed, only a regular file, held exclusively while open). Failures throw
// lexfall::Error with a text that names the file.

// Every game the file holds; none when there is no file.
std::vector<PlayedGame> ReadHistory(const std::filesystem::path& folder);

// Adds game as one line, in one write. A new file starts with the header line; a line cut
// short by a killed program is closed first, so the game gets a line of its own.
void AppendToHistory(const std::filesystem::path& folder, const PlayedGame& game);

// The player's history for the run: read at the first look, then kept in step with each game
// that is added. Nothing here throws: a history that cannot be read or written is empty or
// stays as it was, and says why.
class GameHistory {
public:
    explicit GameHistory(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Whether the game landed in the file.
    bool Add(const PlayedGame& game) noexcept;
    // The file's games, read the first time they are asked for.
    const std::vector<PlayedGame>& Games();
    // Why the file was last refused, or empty.
    const std::string& Refusal() const { return refusal_; }

private:
    std::filesystem::path folder_;
    std::vector<PlayedGame> games_;
    bool read_ = false;
    std::string refusal_;
};

} // namespace lexfall
