// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Sound.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace lexfall {

// Plays through a device that is opened on a thread of its own, only once a sound or a piece
// is first due and the owner has called Start (the program does once its window is on screen),
// so that opening it and loading what it plays never hold up or compete with the window.
// Requests are carried out on that thread strictly in the order they were made; those made
// while the device is still opening wait for it. Without a device every request is dropped
// silently. Stop and close requests before anything was opened need no device and open none.
class AsyncSound final : public Sound {
public:
    // Opens the device on the audio thread: nullptr when there is none. Asked at most once.
    using Opener = std::function<std::unique_ptr<Sound>()>;

    // Without startNow the device waits for Start before it opens.
    explicit AsyncSound(Opener open, bool startNow = true);
    // Closes the device on its thread. Waits for that at most ExitWait: a device that is still
    // opening is left to finish on its own, so closing the program never hangs on it.
    ~AsyncSound() override;
    AsyncSound(const AsyncSound&) = delete;
    AsyncSound& operator=(const AsyncSound&) = delete;

    void PlayWave(const std::string& relativeName) override;
    void SendCommand(const std::string& command) override;

    // Lets the device open once a sound or a piece is due.
    void Start();
    // The program is ending: the device is left to the end of the process rather than closed,
    // which keeps the exit quick. Call just before the object goes.
    void LeaveDeviceToExit();
    // Waits until every request made so far has been carried out (or dropped). Not before
    // Start when one of them needs the device.
    void Drain();
    // Whether a device was opened.
    bool DeviceOpen() const;

    static constexpr std::chrono::milliseconds ExitWait{300};

private:
    struct Shared;
    void Push(bool wave, const std::string& text);
    static void Run(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

} // namespace lexfall
