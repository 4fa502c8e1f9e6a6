#pragma once
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
};

// Where an installed copy's read-only folders lie, relative to the program's folder, so the
// whole installation can move.
struct InstalledLayout {
    std::string dataDir;   // e.g. "../share/lexfall"
    std::string moduleDir; // e.g. "../lib/lexfall"
};

// A folder with Dict.dll beside the program, or with no installed data folder next to it, is a
// portable copy: everything stays beside the program, as it always has. Otherwise the copy is
// installed: data from the layout's folders, and the player's files under "lexfall/" in
// configHome (the settings) and dataHome (the records).
GameFolders ChooseGameFolders(const std::string& programDir, const InstalledLayout& layout,
                              const std::string& configHome, const std::string& dataHome);

} // namespace lexfall
