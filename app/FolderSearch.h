#pragma once
#include "platform/GameFolders.h"

#include <QString>

namespace lexfall {

// The folders of this copy of the game, given the program's folder. An installed copy takes
// the player's folders from the desktop's standard locations (XDG_CONFIG_HOME, XDG_DATA_HOME
// or their defaults under the home folder) and creates them, so the first write finds them.
GameFolders FindGameFolders(const QString& programDir);

// Where this build installs the data and the audio module, relative to the game's folder.
const InstalledLayout& BuiltInstalledLayout();

} // namespace lexfall
