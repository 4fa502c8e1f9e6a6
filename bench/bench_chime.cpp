// SPDX-License-Identifier: GPL-3.0-or-later
// The chime's delay after the audio device has come to rest: from the game's request to the
// first buffer mixed with it, through the game's own path (the audio thread, then the mixer).
// SDL's dummy driver mixes in real time without a sound card; SDL_AUDIODRIVER picks another.
#include "media/AsyncSound.h"
#include "media/sdl/SdlSound.h"

#include <SDL_mixer.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace lexfall;
using Clock = std::chrono::steady_clock;

// Set by the mixer's own thread after each buffer: the first one in which the wave plays.
std::atomic<bool> armed{false};
std::atomic<Clock::rep> mixedAt{0};

void AfterMix(void*, Uint8*, int) {
    if (armed && Mix_Playing(SdlSound::WaveChannel) != 0) {
        mixedAt = Clock::now().time_since_epoch().count();
        armed = false;
    }
}

template <typename Condition>
bool WaitFor(Condition done, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void BM_ChimeAfterRest(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const std::string chimes = std::string(LEXFALL_BIN_DIR) + "/sound/chimes.wav";
    SdlSound* device = nullptr;
    AsyncSound sound([&device] {
        auto opened = std::make_unique<SdlSound>();
        device = opened.get();
        return opened;
    });
    sound.PlayWave(chimes); // opens the device and loads the wave
    sound.Drain();
    if (device == nullptr || !device->Audible()) {
        state.SkipWithError("no audio device");
        return;
    }
    Mix_SetPostMix(AfterMix, nullptr);
    double longest = 0;
    for (auto _ : state) {
        if (!WaitFor([&] { return device->Resting(); }, std::chrono::seconds(30))) {
            state.SkipWithError("the device did not come to rest");
            break;
        }
        mixedAt = 0;
        armed = true;
        const Clock::time_point asked = Clock::now();
        sound.PlayWave(chimes);
        if (!WaitFor([] { return mixedAt != 0; }, std::chrono::seconds(5))) {
            state.SkipWithError("the chime was never mixed");
            break;
        }
        const Clock::time_point mixed{Clock::duration(mixedAt.load())};
        const double seconds = std::chrono::duration<double>(mixed - asked).count();
        longest = std::max(longest, seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["longest_ms"] = longest * 1000;
    Mix_SetPostMix(nullptr, nullptr);
}
BENCHMARK(BM_ChimeAfterRest)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(8)
    ->Repetitions(1);

} // namespace

BENCHMARK_MAIN();
