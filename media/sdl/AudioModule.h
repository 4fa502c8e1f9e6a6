// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Sound.h"

// The audio library pulls in some seventy shared libraries; linked into the program they would
// slow every start. They come instead with a module of their own, loaded on the audio thread
// when the first sound is due. Its one entry point, looked up by name:
//   a new SdlSound for the program's folder, or null when no audio device opens.
extern "C" lexfall::Sound* LexfallOpenAudio(const char* programDir);

namespace lexfall {

inline constexpr const char* AudioModuleName = "lexfall-audio.so";
inline constexpr const char* AudioModuleEntry = "LexfallOpenAudio";
using OpenAudioFunction = Sound* (*)(const char*);

} // namespace lexfall
