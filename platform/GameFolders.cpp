// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GameFolders.h"

#include <filesystem>
#include <system_error>

namespace lexfall {

namespace {

// The folder as text with one trailing separator; "a/../b" folded for the messages that name it.
std::string FolderText(const std::filesystem::path& folder) {
    std::string text = folder.lexically_normal().string();
    if (text.empty() || text.back() != '/')
        text += '/';
    return text;
}

bool IsAbsolute(const char* text) {
    return text != nullptr && text[0] == '/';
}

} // namespace

PlayerHomes ChoosePlayerHomes(const char* home, const char* configHome, const char* dataHome,
                              const std::function<std::string()>& accountHome) {
    PlayerHomes homes;
    std::filesystem::path base;
    if (IsAbsolute(home)) {
        base = home;
    } else if (const std::string account = accountHome(); IsAbsolute(account.c_str())) {
        base = account;
    } else {
        base = "/";
        homes.homeKnown = false;
    }
    homes.configHome = IsAbsolute(configHome) ? configHome : (base / ".config").string();
    homes.dataHome = IsAbsolute(dataHome) ? dataHome : (base / ".local/share").string();
    return homes;
}

GameFolders ChooseGameFolders(const std::string& programDir, const InstalledLayout& layout,
                              const std::string& configHome, const std::string& dataHome) {
    namespace fs = std::filesystem;
    const fs::path program(programDir);
    const fs::path data = program / layout.dataDir;
    std::error_code ignored;
    const bool portable = fs::exists(fs::symlink_status(program / "Dict.dll", ignored)) ||
                          !fs::is_directory(data, ignored);
    if (portable) {
        const std::string beside = FolderText(program);
        return GameFolders{beside, beside, beside, beside, false};
    }
    return GameFolders{
        .dataDir = FolderText(data),
        .moduleDir = FolderText(program / layout.moduleDir),
        .settingsDir = FolderText(fs::path(configHome) / "lexfall"),
        .recordsDir = FolderText(fs::path(dataHome) / "lexfall"),
        .installed = true,
    };
}

} // namespace lexfall
