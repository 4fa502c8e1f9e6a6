// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "settings/Settings.h"

#include <string>

namespace lexfall {

// The settings file's name inside AppDir.
inline constexpr const char* SettingsFileName = "Lexfall.ini";

// Reads the settings at start-up. A missing file, section or key gives the default; texts are
// cut to their limits and Speed and Port keep their low 16 bits. Creates nothing.
Settings LoadSettings(const std::string& path);

// Writes the nine keys of section Options, in a fixed order, as one replacement of the file;
// never section Register. A refused write throws Error("Unable to write to " + path) and leaves
// the file as it was: all nine keys are written, or none.
void WriteIni(const std::string& path, const Settings& settings);

// The player's identity for the records server, read from the file at the start of each
// exchange that needs it; the game never writes it.
struct RegisterInfo {
    std::string UserName;
    std::string Email;
    std::string RegCode;
};

// Missing keys read as empty texts.
RegisterInfo ReadRegisterInfo(const std::string& path);

} // namespace lexfall
