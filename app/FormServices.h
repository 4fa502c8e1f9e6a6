// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "online/HttpAccess.h"
#include "platform/BrowserProxy.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Network.h"
#include "platform/Random.h"
#include "platform/Regional.h"
#include "platform/Sound.h"

#include <QString>

#include <functional>
#include <string>

namespace lexfall {

// Everything the window reaches outside itself, handed in so tests can replace each piece.
// Built with designated initializers, so a new service cannot land in another's place.
struct FormServices {
    // Each folder ends with a separator. In a portable copy all three are the program's folder;
    // an installed one reads its data from one place and keeps each player's files in their home.
    std::string appDir;      // the game's data: Dict.dll and sound/
    std::string settingsDir; // Lexfall.ini
    std::string recordsDir;  // Records.dat
    Clock& clock;
    Random& random;
    Dialogs& dialogs;
    Sound& sound;
    RegionalSettings regional;
    // Opens a web or mail address with the desktop's handler; failures stay silent.
    std::function<void(const QString&)> openLink;
    Network& network;
    BrowserProxy& browserProxy; // the web browser's proxy settings
    HttpLimits httpLimits = {}; // how long the records server may take over each step
};

} // namespace lexfall
