// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Settings for tests that write the settings file.
#include "settings/Settings.h"

#include <cstdint>
#include <string>

namespace lexfall::testing {

// Default settings but for the music, the speed and the sound.
inline Settings WithMusic(const std::string& music, std::int16_t speed, bool sound) {
    Settings settings;
    settings.Music = music;
    settings.Speed = speed;
    settings.Sound = sound;
    return settings;
}

} // namespace lexfall::testing
