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

} // namespace

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
