// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/AsyncSound.h"

#include "media/MciCommand.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace lexfall {
namespace {

struct Request {
    bool wave = false;
    std::string text;
};

// A wave always sounds, and a piece must be loaded by the device; the other commands act
// only on a piece already open, so without a device there is nothing for them to do.
bool NeedsDevice(const Request& request) {
    if (request.wave)
        return true;
    const std::optional<MciCommand> command = ParseMciCommand(request.text);
    return command && command->verb == MciVerb::Open;
}

} // namespace

// Shared with the audio thread, which may outlive the object when it is left opening.
struct AsyncSound::Shared {
    Shared(Opener opener, bool startNow) : open(std::move(opener)), started(startNow) {}

    Opener open;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Request> requests;
    std::uint64_t made = 0; // requests pushed
    std::uint64_t done = 0; // requests carried out or dropped
    bool started;
    bool stopping = false;
    bool leaveToExit = false;
    bool finished = false; // the audio thread has closed the device and ended
    std::atomic<bool> deviceOpen{false};
};

AsyncSound::AsyncSound(Opener open, bool startNow)
    : shared_(std::make_shared<Shared>(std::move(open), startNow)),
      worker_([shared = shared_] { Run(shared); }) {}

AsyncSound::~AsyncSound() {
    std::unique_lock lock(shared_->mutex);
    shared_->stopping = true;
    shared_->changed.notify_all();
    const bool ended =
        shared_->changed.wait_for(lock, ExitWait, [this] { return shared_->finished; });
    lock.unlock();
    if (ended)
        worker_.join();
    else
        worker_.detach();
}

void AsyncSound::PlayWave(const std::string& relativeName) {
    Push(true, relativeName);
}

void AsyncSound::SendCommand(const std::string& command) {
    Push(false, command);
}

void AsyncSound::Push(bool wave, const std::string& text) {
    const std::lock_guard lock(shared_->mutex);
    shared_->requests.push_back(Request{wave, text});
    ++shared_->made;
    shared_->changed.notify_all();
}

void AsyncSound::Start() {
    const std::lock_guard lock(shared_->mutex);
    shared_->started = true;
    shared_->changed.notify_all();
}

void AsyncSound::LeaveDeviceToExit() {
    const std::lock_guard lock(shared_->mutex);
    shared_->leaveToExit = true;
}

void AsyncSound::Drain() {
    std::unique_lock lock(shared_->mutex);
    const std::uint64_t target = shared_->made;
    shared_->changed.wait(lock, [&] { return shared_->done >= target || shared_->finished; });
}

bool AsyncSound::DeviceOpen() const {
    return shared_->deviceOpen;
}

void AsyncSound::Run(const std::shared_ptr<Shared>& shared) {
    std::unique_ptr<Sound> device;
    bool tried = false;
    for (;;) {
        Request request;
        {
            std::unique_lock lock(shared->mutex);
            shared->changed.wait(lock,
                                 [&] { return shared->stopping || !shared->requests.empty(); });
            if (shared->stopping)
                break;
            request = std::move(shared->requests.front());
            shared->requests.pop_front();
        }
        if (!tried && NeedsDevice(request)) {
            {
                std::unique_lock lock(shared->mutex);
                shared->changed.wait(lock, [&] { return shared->started || shared->stopping; });
                if (shared->stopping)
                    break;
            }
            tried = true;
            device = shared->open();
            shared->deviceOpen = device != nullptr;
        }
        if (device) {
            if (request.wave)
                device->PlayWave(request.text);
            else
                device->SendCommand(request.text);
        }
        const std::lock_guard lock(shared->mutex);
        ++shared->done;
        shared->changed.notify_all();
    }
    bool leave = false;
    {
        const std::lock_guard lock(shared->mutex);
        leave = shared->leaveToExit;
    }
    if (leave && device) {
        device->LeaveToExit();
        (void)device.release(); // the end of the process closes it
    }
    device.reset();
    const std::lock_guard lock(shared->mutex);
    shared->finished = true;
    shared->changed.notify_all();
}

} // namespace lexfall
