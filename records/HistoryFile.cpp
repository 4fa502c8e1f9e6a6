// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/HistoryFile.h"

#include "records/RecordStream.h"

#include <exception>
#include <memory>
#include <system_error>

namespace lexfall {

namespace {

std::filesystem::path HistoryPath(const std::filesystem::path& folder) {
    return folder / kHistoryFileName;
}

} // namespace

std::vector<PlayedGame> ReadHistory(const std::filesystem::path& folder) {
    const std::filesystem::path path = HistoryPath(folder);
    std::error_code error;
    // A link to a file not made yet counts as no file, as a missing one does.
    if (!std::filesystem::exists(path, error))
        return {};
    FileStream file(path, StreamMode::Open);
    // In pieces: a million games are 40 MB, which need not be in memory twice.
    constexpr std::int64_t kPiece = 1 << 20;
    const auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);
    HistoryReader reader;
    reader.Expect(static_cast<std::size_t>(file.Size()));
    for (std::int64_t got; (got = file.Read(buffer.get(), kPiece)) > 0;)
        reader.Take(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
    return reader.Finish();
}

void AppendToHistory(const std::filesystem::path& folder, const PlayedGame& game) {
    // Created only when absent, so two copies of the game never both write a header.
    FileStream file(HistoryPath(folder), StreamMode::Create);
    std::string bytes;
    if (file.Created()) {
        bytes = std::string(kHistoryHeader) + "\n";
    } else if (file.Size() > 0) {
        char last = '\n';
        file.Seek(-1, SeekOrigin::End);
        file.Read(&last, 1);
        if (last != '\n')
            bytes = "\n";
    }
    bytes += HistoryLine(game);
    file.Seek(0, SeekOrigin::End);
    file.Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

bool GameHistory::Add(const PlayedGame& game) noexcept {
    try {
        AppendToHistory(folder_, game);
        refusal_.clear();
        if (read_)
            games_.push_back(game);
        return true;
    } catch (const std::exception& error) {
        refusal_ = error.what();
    } catch (...) {
        refusal_ = "The history could not be written.";
    }
    return false;
}

const std::vector<PlayedGame>& GameHistory::Games() {
    if (read_)
        return games_;
    try {
        games_ = ReadHistory(folder_);
        read_ = true;
    } catch (const std::exception& error) {
        // Tried again at the next look: the file may be back by then.
        refusal_ = error.what();
    }
    return games_;
}

} // namespace lexfall
