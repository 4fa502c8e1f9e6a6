// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/AsyncSound.h"

#include "media/Music.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lexfall {
namespace {

// A device that records what reaches it, and whose opening the test holds up until it lets go.
struct DeviceLog {
    std::mutex mutex;
    std::condition_variable changed;
    bool mayOpen = true;
    bool opening = false;
    int opened = 0;
    bool closed = false;
    Sound* leftToExit = nullptr;
    std::vector<std::string> calls;

    void Add(const std::string& call) {
        const std::lock_guard lock(mutex);
        calls.push_back(call);
    }
    void LetOpen() {
        const std::lock_guard lock(mutex);
        mayOpen = true;
        changed.notify_all();
    }
    void WaitUntilOpening() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return opening; });
    }
    void WaitUntilClosed() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return closed; });
    }
};

class LoggedDevice final : public Sound {
public:
    explicit LoggedDevice(std::shared_ptr<DeviceLog> log) : log_(std::move(log)) {}
    ~LoggedDevice() override {
        const std::lock_guard lock(log_->mutex);
        log_->closed = true;
        log_->changed.notify_all();
    }
    void PlayWave(const std::string& name) override { log_->Add("wave " + name); }
    void SendCommand(const std::string& command) override { log_->Add(command); }
    void LeaveToExit() override {
        const std::lock_guard lock(log_->mutex);
        log_->leftToExit = this;
    }

private:
    std::shared_ptr<DeviceLog> log_;
};

// Opens a LoggedDevice once the log allows it; with present false there is no device.
AsyncSound::Opener OpenerFor(const std::shared_ptr<DeviceLog>& log, bool present = true) {
    return [log, present]() -> std::unique_ptr<Sound> {
        std::unique_lock lock(log->mutex);
        ++log->opened;
        log->opening = true;
        log->changed.notify_all();
        log->changed.wait(lock, [&] { return log->mayOpen; });
        if (!present)
            return nullptr;
        return std::make_unique<LoggedDevice>(log);
    };
}

const std::string AppDir = "/games/lexfall/";

std::string OpenText(const std::string& name) {
    return "OPEN \"" + AppDir + "sound\\" + name + "\" TYPE SEQUENCER ALIAS LexfallMusic";
}

// Everything asked while the device is still opening waits for it and is then carried out in
// the order asked, music and waves interleaved; nothing is lost and the caller never waits.
TEST(AsyncSoundTest, RequestsMadeWhileTheDeviceOpensAreCarriedOutInOrder) {
    auto log = std::make_shared<DeviceLog>();
    log->mayOpen = false;
    AsyncSound sound(OpenerFor(log));
    PlayMusic(sound, AppDir, "a.mid", true);
    log->WaitUntilOpening();
    sound.PlayWave("sound\\chimes.wav");
    PlayMusic(sound, AppDir, "a.mid", false);
    PlayMusic(sound, AppDir, "b.mid", true);
    sound.PlayWave("sound\\GameOver.wav");
    EXPECT_TRUE(log->calls.empty());

    log->LetOpen();
    sound.Drain();
    EXPECT_TRUE(sound.DeviceOpen());
    EXPECT_EQ(log->opened, 1);
    const std::vector<std::string> expected = {
        OpenText("a.mid"),          "PLAY LexfallMusic from 0", "wave sound\\chimes.wav",
        "STOP LexfallMusic",        "CLOSE LexfallMusic",       OpenText("b.mid"),
        "PLAY LexfallMusic from 0", "wave sound\\GameOver.wav"};
    EXPECT_EQ(log->calls, expected);
}

// Music off at start-up sends stop and close: they need no device, so none is opened and the
// game sits silent at no cost. The first wave opens it, and what follows goes to it.
TEST(AsyncSoundTest, TheDeviceOpensOnlyWhenASoundOrAPieceIsDue) {
    auto log = std::make_shared<DeviceLog>();
    AsyncSound sound(OpenerFor(log));
    PlayMusic(sound, AppDir, "", false);
    sound.SendCommand("PLAY LexfallMusic from 0");
    sound.SendCommand("not a command");
    sound.Drain();
    EXPECT_EQ(log->opened, 0);
    EXPECT_FALSE(sound.DeviceOpen());
    EXPECT_TRUE(log->calls.empty());

    sound.PlayWave("sound\\chimes.wav");
    PlayMusic(sound, AppDir, "", false);
    sound.Drain();
    EXPECT_EQ(log->opened, 1);
    EXPECT_EQ(log->calls, (std::vector<std::string>{"wave sound\\chimes.wav", "STOP LexfallMusic",
                                                    "CLOSE LexfallMusic"}));
}

// Held until Start (the window's first paint): what is due waits, and then plays in order.
TEST(AsyncSoundTest, TheDeviceWaitsForStart) {
    auto log = std::make_shared<DeviceLog>();
    AsyncSound sound(OpenerFor(log), false);
    PlayMusic(sound, AppDir, "", false);
    sound.Drain(); // needs no device, so it does not wait for Start
    PlayMusic(sound, AppDir, "a.mid", true);
    sound.PlayWave("sound\\chimes.wav");
    EXPECT_EQ(log->opened, 0);

    sound.Start();
    sound.Drain();
    EXPECT_EQ(log->opened, 1);
    EXPECT_EQ(log->calls, (std::vector<std::string>{OpenText("a.mid"), "PLAY LexfallMusic from 0",
                                                    "wave sound\\chimes.wav"}));
}

// With no device everything passes silently, and the device is looked for only once.
TEST(AsyncSoundTest, WithoutADeviceEverythingIsSilent) {
    auto log = std::make_shared<DeviceLog>();
    AsyncSound sound(OpenerFor(log, false));
    PlayMusic(sound, AppDir, "a.mid", true);
    sound.PlayWave("sound\\chimes.wav");
    PlayMusic(sound, AppDir, "a.mid", false);
    sound.PlayWave("sound\\GameOver.wav");
    sound.Drain();
    EXPECT_FALSE(sound.DeviceOpen());
    EXPECT_EQ(log->opened, 1);
    EXPECT_TRUE(log->calls.empty());
}

// Closing the program while the device is still opening does not wait for it: the object goes,
// and the device, once open, is closed on its own thread without playing what was left queued.
TEST(AsyncSoundTest, AQuickExitWhileTheDeviceIsStillOpening) {
    auto log = std::make_shared<DeviceLog>();
    log->mayOpen = false;
    // Should the object wait for the device after all, this lets the opening go in the end,
    // so the test fails rather than hangs.
    std::atomic<bool> letGoByTimeout{false};
    std::thread safetyNet([&] {
        std::unique_lock lock(log->mutex);
        if (!log->changed.wait_for(lock, std::chrono::seconds(20), [&] { return log->mayOpen; })) {
            letGoByTimeout = true;
            log->mayOpen = true;
            log->changed.notify_all();
        }
    });
    {
        AsyncSound sound(OpenerFor(log));
        sound.PlayWave("sound\\chimes.wav");
        log->WaitUntilOpening();
        sound.PlayWave("sound\\GameOver.wav");
    }
    EXPECT_FALSE(letGoByTimeout) << "the object waited for the opening device";
    log->LetOpen();
    safetyNet.join();
    log->WaitUntilClosed();
    const std::lock_guard lock(log->mutex);
    EXPECT_LE(log->calls.size(), 1u);
    for (const std::string& call : log->calls)
        EXPECT_EQ(call, "wave sound\\chimes.wav");
}

// A device that is open is closed by the time the object is gone.
TEST(AsyncSoundTest, ClosingTheProgramClosesAnOpenDevice) {
    auto log = std::make_shared<DeviceLog>();
    {
        AsyncSound sound(OpenerFor(log));
        sound.PlayWave("sound\\chimes.wav");
        sound.Drain();
        EXPECT_TRUE(sound.DeviceOpen());
        EXPECT_FALSE(log->closed);
    }
    EXPECT_TRUE(log->closed);
}

// At the program's end the device is not closed, only told to run no more; the end of the
// process takes it.
TEST(AsyncSoundTest, AtTheProgramsEndTheDeviceIsLeftToTheExit) {
    auto log = std::make_shared<DeviceLog>();
    {
        AsyncSound sound(OpenerFor(log));
        sound.PlayWave("sound\\chimes.wav");
        sound.Drain();
        sound.LeaveDeviceToExit();
    }
    ASSERT_NE(log->leftToExit, nullptr);
    EXPECT_FALSE(log->closed);
    delete log->leftToExit; // what the end of the process would take
}

} // namespace
} // namespace lexfall
