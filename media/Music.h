// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Sound.h"

#include <string>
#include <vector>

namespace lexfall {

// The alias the music device is known by; at most one piece is open under it.
inline constexpr const char* MusicAlias = "LexfallMusic";

// Wave sounds, relative to the current directory, not to AppDir.
inline constexpr const char* ChimesWave = "sound\\chimes.wav";
inline constexpr const char* GameOverWave = "sound\\GameOver.wav";
inline constexpr const char* RecBrokenWave = "sound\\RecBroken.wav";

// On: opens appDir's "sound\<name>" under the alias and plays it from the start. Off: stops
// and releases whatever is open; name is not used. Failures pass silently.
void PlayMusic(Sound& sound, const std::string& appDir, const std::string& name, bool on);

// The names of the entries of appDir + "sound" that match *.mid, letter case ignored as a
// Windows folder search does; hidden entries and folders are included. Sorted by name
// without regard to case, each once. A missing or unreadable folder gives no names.
std::vector<std::string> ListMusicFiles(const std::string& appDir);

// Requests a wave sound only when the Sound setting is on.
void PlayGameWave(Sound& sound, bool soundOn, const char* wave);

} // namespace lexfall
