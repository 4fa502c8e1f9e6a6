// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FolderSearch.h"

#include "platform/PlayerFile.h"
#include "platform/qt/QtSystemText.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace lexfall {

namespace {

// Set by the build from the install folders, relative to the game's own.
const InstalledLayout kInstalledLayout{LEXFALL_INSTALLED_DATA_DIR, LEXFALL_INSTALLED_MODULE_DIR};

} // namespace

std::string AccountHome() {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    return found != nullptr && found->pw_dir != nullptr ? found->pw_dir : std::string();
}

const InstalledLayout& BuiltInstalledLayout() {
    return kInstalledLayout;
}

GameFolders FindGameFolders(const QString& programDir,
                            const std::function<std::string()>& accountHome) {
    const PlayerHomes homes = ChoosePlayerHomes(std::getenv("HOME"), std::getenv("XDG_CONFIG_HOME"),
                                                std::getenv("XDG_DATA_HOME"), accountHome);
    GameFolders folders = ChooseGameFolders(ToSystemText(programDir), kInstalledLayout,
                                            homes.configHome, homes.dataHome);
    if (folders.installed) {
        // Private to the player, as the XDG rules ask: the settings hold the access code and
        // the proxy password. A folder that cannot be made shows up as the error of the first
        // write into it.
        bool made = true;
        for (const std::string& folder : {folders.settingsDir, folders.recordsDir})
            made = MakeFolders(folder, 0700) && made;
        folders.homeless = !homes.homeKnown && !made;
    }
    return folders;
}

} // namespace lexfall
