// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>

namespace lexfall {

// Where one copy of the game reads its data and keeps the player's files. Every folder ends
// with a separator, like AppDir.
struct GameFolders {
    std::string dataDir;     // Dict.dll, sound/ and the word lists' notices
    std::string moduleDir;   // the audio module
    std::string settingsDir; // Lexfall.ini
    std::string recordsDir;  // Records.dat
    bool installed = false;
    // No home was known and the player's folders could not be made under "/": nothing of the
    // player's can be saved, which is said once (see HomelessDialogs).
    bool homeless = false;
};

// Where an installed copy's read-only folders lie, relative to the program's folder, so the
// whole installation can move.
struct InstalledLayout {
    std::string dataDir;   // e.g. "../share/lexfall"
    std::string moduleDir; // e.g. "../lib/lexfall"
};

// The homes of the player's settings and records, as the XDG Base Directory rules have them.
struct PlayerHomes {
    std::string configHome;
    std::string dataHome;
    bool homeKnown = true;
};

// XDG_CONFIG_HOME and XDG_DATA_HOME when absolute (a relative value is ignored, as the rules
// say), else .config and .local/share in the home: HOME when absolute, else accountHome() (the
// password database's), else "/", so that the first write names the place it could not use.
// A null text is an unset variable.
PlayerHomes ChoosePlayerHomes(const char* home, const char* configHome, const char* dataHome,
                              const std::function<std::string()>& accountHome);

// A folder with Dict.dll beside the program, or with no installed data folder next to it, is a
// portable copy: everything stays beside the program, as it always has. Otherwise the copy is
// installed: data from the layout's folders, and the player's files under "lexfall/" in
// configHome (the settings) and dataHome (the records).
GameFolders ChooseGameFolders(const std::string& programDir, const InstalledLayout& layout,
                              const std::string& configHome, const std::string& dataHome);

} // namespace lexfall
