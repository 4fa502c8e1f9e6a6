// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/GameFolders.h"

#include <QString>

#include <functional>
#include <string>

namespace lexfall {

// The home of the account the game runs as, from the password database; empty when it has
// none.
std::string AccountHome();

// The folders of this copy of the game, given the program's folder. An installed copy takes
// the player's folders from the environment (XDG_CONFIG_HOME, XDG_DATA_HOME or their defaults
// under the home, see ChoosePlayerHomes) and creates them, so the first write finds them.
GameFolders FindGameFolders(const QString& programDir,
                            const std::function<std::string()>& accountHome = AccountHome);

// Where this build installs the data and the audio module, relative to the game's folder.
const InstalledLayout& BuiltInstalledLayout();

} // namespace lexfall
