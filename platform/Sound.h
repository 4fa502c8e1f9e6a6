// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace lexfall {

// Wave sounds and music commands. Playback never blocks and never reports failure.
class Sound {
public:
    virtual ~Sound() = default;
    // A wave file by its name relative to the current directory, e.g. "sound\\chimes.wav".
    virtual void PlayWave(const std::string& relativeName) = 0;
    // A multimedia command text such as "PLAY LexfallMusic from 0".
    virtual void SendCommand(const std::string& command) = 0;
    // The program is ending and leaves the device to the end of the process instead of closing
    // it: afterwards nothing of it may run any more. Nothing to do for most.
    virtual void LeaveToExit() {}
};

} // namespace lexfall
