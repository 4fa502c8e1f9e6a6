// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

namespace lexfall {

// The short sound played when a wave file cannot be found, as a platform's default sound would
// be: a soft two-note ding, 16-bit mono PCM in a WAV file, made here so it needs no file.
std::vector<unsigned char> DefaultSoundWave();

} // namespace lexfall
