// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AudioModuleLoader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace lexfall {
namespace {

// The program reaches the audio library only through the module beside it; without the module
// the game is silent, never broken.
TEST(AudioModuleTest, OpensTheDeviceThroughTheModuleBesideTheProgram) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string binDir = std::string(LEXFALL_BIN_DIR) + "/";
    const std::unique_ptr<Sound> sound = OpenAudioModule(binDir, binDir);
    ASSERT_NE(sound, nullptr);
    sound->SendCommand("STOP LexfallMusic");
    sound->PlayWave("sound\\chimes.wav");

    EXPECT_EQ(OpenAudioModule("/nonexistent folder/", binDir), nullptr);
}

} // namespace
} // namespace lexfall
