// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/sdl/AudioModule.h"

#include "media/sdl/SdlSound.h"

#include <memory>

extern "C" __attribute__((visibility("default"))) lexfall::Sound*
LexfallOpenAudio(const char* programDir) {
    auto sound = std::make_unique<lexfall::SdlSound>(programDir != nullptr ? programDir : "");
    return sound->Audible() ? sound.release() : nullptr;
}
