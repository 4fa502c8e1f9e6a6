// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Sound.h"

#include <memory>
#include <string>

namespace lexfall {

// Loads the audio module from moduleDir and opens the audio device through it, wave sounds
// looked up under dataDir: null when the module cannot be loaded or no device opens, and then
// the game stays silent.
// The module stays loaded for the rest of the run, since the device's code lives in it.
std::unique_ptr<Sound> OpenAudioModule(const std::string& moduleDir, const std::string& dataDir);

} // namespace lexfall
