// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Sound.h"

#include <memory>
#include <string>

namespace lexfall {

// Music and wave sounds through SDL_mixer, opening the device at once; the program makes it
// on its audio thread (AsyncSound). Music commands are read by ParseMciCommand; pieces are
// opened under their alias and played once. Wave names are looked up in the current directory,
// then in programDir; a wave found in neither plays a short default sound. Wave sounds share
// one channel, so a new one cuts off the one playing. Every failure is silent: with no usable
// audio device the object accepts every call and nothing sounds. The mixer is process-wide, so
// only the first live instance drives it; another one made meanwhile stays silent.
class SdlSound final : public Sound {
public:
    explicit SdlSound(std::string programDir = {});
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    void PlayWave(const std::string& relativeName) override;
    void SendCommand(const std::string& command) override;
    // Stops the mixing thread at its next turn, so that it runs no more while the process
    // ends: closing the device first would keep the exit waiting on the library.
    void LeaveToExit() override;

    // Whether the audio device opened; when not, every call does nothing.
    bool Audible() const { return mixer_ != nullptr; }
    // Whether the device rests: nothing has played for a moment, and its mixing stands still
    // until the next call.
    bool Resting() const;
    // Whether a piece is open under the alias, letter case ignored.
    bool IsOpen(const std::string& alias) const;
    // The mixer channel the wave sounds play on.
    static constexpr int WaveChannel = 0;

private:
    struct Mixer;
    std::unique_ptr<Mixer> mixer_;
};

} // namespace lexfall
