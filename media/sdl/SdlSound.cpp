// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/sdl/SdlSound.h"

#include "media/DefaultSound.h"
#include "media/MciCommand.h"
#include "text/Text.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace lexfall {
namespace {

// SDL_mixer has one music stream and one set of channels per process.
std::atomic<bool> mixerTaken{false};

// The device the mixer plays on. SDL_mixer does not tell its number; as the only device this
// program opens, it is the one that is not stopped.
SDL_AudioDeviceID mixerDevice = 0;

SDL_AudioDeviceID FindMixerDevice() {
    for (SDL_AudioDeviceID id = 1; id < 64; ++id) {
        if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED)
            return id;
    }
    return 0;
}

// Rests the device while nothing plays. SDL's mixing thread keeps waking for every buffer of
// silence, even paused, so the device's lock is taken and held instead, on a thread of this
// class (a mutex is given back only by the thread that took it): the mixing thread waits for it
// and costs nothing. A while after the last call and after a sound or a piece ends, an idle
// device is put to rest; the next call runs on that thread while it still holds the lock, so the
// mixing thread starts again with the new sound already in place, not one buffer later.
class DeviceRest {
public:
    static constexpr std::chrono::milliseconds Delay{500};

    explicit DeviceRest(SDL_AudioDeviceID device) : device_(device), thread_([this] { Run(); }) {}

    ~DeviceRest() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
            changed_.notify_all();
        }
        thread_.join();
    }

    DeviceRest(const DeviceRest&) = delete;
    DeviceRest& operator=(const DeviceRest&) = delete;

    // Every call into the mixer goes through here: run at once when the device is awake, else
    // on the rest thread, which wakes the device after it.
    void Call(const std::function<void()>& task) {
        {
            const std::lock_guard use(use_);
            std::unique_lock lock(mutex_);
            if (!resting_) {
                lock.unlock();
                task();
            } else {
                task_ = &task;
                changed_.notify_all();
                changed_.wait(lock, [this] { return task_ == nullptr; });
            }
        }
        Ended();
    }

    // A sound or the piece ended; called on the mixing thread too.
    void Ended() {
        const std::lock_guard lock(mutex_);
        ended_ = true;
        changed_.notify_all();
    }

    // The program is ending: the mixing thread must never run again. A resting device stays
    // so; an awake one is stopped by taking its lock for good.
    void LeaveToExit() {
        const std::lock_guard use(use_);
        std::unique_lock lock(mutex_);
        leaving_ = true;
        changed_.notify_all();
        if (!resting_) {
            lock.unlock();
            SDL_LockAudioDevice(device_);
        }
    }

    bool Resting() {
        const std::lock_guard lock(mutex_);
        return resting_;
    }

private:
    static bool Idle() { return Mix_Playing(-1) == 0 && Mix_PlayingMusic() == 0; }

    // Waits for something to end, then for a quiet moment, and rests an idle device. False
    // when the thread is to end.
    bool RestWhenIdle(std::unique_lock<std::mutex>& lock) {
        changed_.wait(lock, [this] { return stopping_ || ended_; });
        // A run of sounds close together keeps the device awake.
        while (ended_ && !stopping_) {
            ended_ = false;
            changed_.wait_for(lock, Delay, [this] { return stopping_; });
        }
        if (stopping_ || leaving_)
            return false;
        // The mixing thread takes mutex_ in Ended() while it holds the device's lock, and
        // asking the mixer may take that lock: mutex_ is not held meanwhile.
        lock.unlock();
        {
            const std::lock_guard use(use_);
            bool stop = false;
            {
                const std::lock_guard state(mutex_);
                stop = leaving_ || stopping_;
            }
            if (!stop && Idle()) {
                SDL_LockAudioDevice(device_);
                const std::lock_guard state(mutex_);
                resting_ = true;
            }
        }
        lock.lock();
        return true;
    }

    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!RestWhenIdle(lock))
                return;
            if (!resting_)
                continue;
            changed_.wait(lock, [this] { return task_ || stopping_ || leaving_; });
            if (leaving_ && !stopping_)
                return; // the lock is kept to the end of the process
            if (task_) {
                lock.unlock();
                (*task_)();
                lock.lock();
            }
            lock.unlock();
            SDL_UnlockAudioDevice(device_);
            lock.lock();
            resting_ = false;
            task_ = nullptr;
            changed_.notify_all();
            if (stopping_)
                return;
        }
    }

    SDL_AudioDeviceID device_;
    std::mutex use_;   // held by every call into the mixer and by the decision to rest
    std::mutex mutex_; // the state below
    std::condition_variable changed_;
    const std::function<void()>* task_ = nullptr; // a call waiting for a resting device
    bool ended_ = true;                           // a device opened for nothing rests too
    bool resting_ = false;
    bool stopping_ = false;
    bool leaving_ = false;
    std::thread thread_;
};

// Runs a call into the mixer, through the device's rest when there is one.
void CallMixer(DeviceRest* rest, const std::function<void()>& task) {
    if (rest != nullptr)
        rest->Call(task);
    else
        task();
}

// The one DeviceRest of the process's mixer, told by the mixer's hooks when something ends.
std::atomic<DeviceRest*> mixerRest{nullptr};

void ChannelEnded(int) {
    if (DeviceRest* rest = mixerRest.load())
        rest->Ended();
}

void MusicEnded() {
    if (DeviceRest* rest = mixerRest.load())
        rest->Ended();
}

struct FreeMusic {
    void operator()(Mix_Music* music) const { Mix_FreeMusic(music); }
};
struct FreeChunk {
    // Also halts any channel still playing it.
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using MusicPtr = std::unique_ptr<Mix_Music, FreeMusic>;
using ChunkPtr = std::unique_ptr<Mix_Chunk, FreeChunk>;

// The game asks for three waves; the bound only guards against a caller with many names.
constexpr std::size_t MaxCachedWaves = 16;

// The game builds its paths with Windows separators.
std::string PortablePath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// MIDI needs a General MIDI sound font. A font already chosen through SDL_SOUNDFONTS or found
// by the mixer itself wins; then the system's default font; then the one Debian packages.
void ChooseSoundFont() {
    const char* chosen = Mix_GetSoundFonts();
    if (chosen != nullptr && *chosen != '\0')
        return;
    for (const char* font :
         {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/soundfonts/default.sf2",
          "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(font, error)) {
            Mix_SetSoundFonts(font);
            return;
        }
    }
}

// A standard MIDI file, or one wrapped in a RIFF "RMID" chunk; leaves the file at its start.
bool LooksLikeMidi(SDL_RWops* file) {
    char head[12] = {};
    const bool read = SDL_RWread(file, head, sizeof head, 1) == 1;
    SDL_RWseek(file, 0, RW_SEEK_SET);
    const std::string_view text(head, sizeof head);
    return read && (text.substr(0, 4) == "MThd" ||
                    (text.substr(0, 4) == "RIFF" && text.substr(8, 4) == "RMID"));
}

// The audio subsystem, once started, stays up for the rest of the process: shutting it down
// waits for the library's device-watching thread, which sleeps in 100 ms steps, and would hold
// up a failed start or the program's exit for nothing.
bool OpenAudio() {
    // Otherwise SDL takes Ctrl+C and the termination signal away from the program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    // Without MIDI support the music stays silent and the waves still play.
    Mix_Init(MIX_INIT_MID);
    ChooseSoundFont();
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        Mix_Quit();
        return false;
    }
    Mix_AllocateChannels(SdlSound::WaveChannel + 1);
    mixerDevice = FindMixerDevice();
    Mix_ChannelFinished(ChannelEnded);
    Mix_HookMusicFinished(MusicEnded);
    return true;
}

void CloseAudio() {
    Mix_CloseAudio();
    Mix_Quit();
}

ChunkPtr LoadDefaultWave() {
    const std::vector<unsigned char> wave = DefaultSoundWave();
    return ChunkPtr(
        Mix_LoadWAV_RW(SDL_RWFromConstMem(wave.data(), static_cast<int>(wave.size())), SDL_TRUE));
}

} // namespace

struct SdlSound::Mixer {
    struct Wave {
        ChunkPtr chunk;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type written;
    };

    explicit Mixer(std::string folder) : programDir(std::move(folder)) {
        if (mixerDevice != 0) {
            rest = std::make_unique<DeviceRest>(mixerDevice);
            mixerRest = rest.get();
        }
    }
    ~Mixer() {
        mixerRest = nullptr;
        rest.reset(); // wakes the device, so that closing it can take its lock
    }
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    std::unique_ptr<DeviceRest> rest;
    std::string programDir;
    std::map<std::string, MusicPtr> pieces; // by folded alias
    std::string started;                    // folded alias of the piece played last
    std::map<std::string, Wave> waves;      // by absolute path
    ChunkPtr defaultWave;                   // made on first use

    void Run(const MciCommand& command) {
        const std::string alias = text::LowerAsciiText(command.alias);
        const auto piece = pieces.find(alias);
        const bool open = piece != pieces.end();
        switch (command.verb) {
        case MciVerb::Open:
            if (!open)
                Open(alias, PortablePath(command.path));
            break;
        case MciVerb::Play:
            // Played once: when it ends it stays silent and open until stopped or closed.
            if (open && Mix_PlayMusic(piece->second.get(), 0) == 0)
                started = alias;
            break;
        case MciVerb::Stop:
            if (open)
                Stop(alias);
            break;
        case MciVerb::Close:
            if (open) {
                Stop(alias);
                pieces.erase(piece);
            }
            break;
        }
    }

    void Open(const std::string& alias, const std::string& path) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error))
            return;
        SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
        if (file == nullptr)
            return;
        // A sequencer plays MIDI only; the synthesiser would take any bytes and fail later.
        if (!LooksLikeMidi(file)) {
            SDL_RWclose(file);
            return;
        }
        MusicPtr music(Mix_LoadMUSType_RW(file, MUS_MID, SDL_TRUE));
        if (music)
            pieces.emplace(alias, std::move(music));
    }

    // Another alias's piece may be the one sounding; that one is left alone.
    void Stop(const std::string& alias) {
        if (started != alias)
            return;
        Mix_HaltMusic();
        started.clear();
    }

    // Found in the current directory, else in the program's folder; a file found in neither,
    // or unreadable, plays the default sound, as the platform's own would.
    void PlayWave(const std::string& name) {
        Mix_Chunk* chunk = LoadWave(name);
        if (chunk == nullptr && !programDir.empty() && std::filesystem::path(name).is_relative())
            chunk = LoadWave(PortablePath(programDir) + name);
        if (chunk == nullptr) {
            if (!defaultWave)
                defaultWave = LoadDefaultWave();
            chunk = defaultWave.get();
        }
        if (chunk != nullptr)
            Mix_PlayChannel(WaveChannel, chunk, 0);
    }

    // Kept loaded by full path, and read again when the file has changed since.
    Mix_Chunk* LoadWave(const std::string& name) {
        std::error_code error;
        const std::filesystem::path path = std::filesystem::absolute(name, error);
        if (error || !std::filesystem::is_regular_file(path, error))
            return nullptr;
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        if (error)
            return nullptr;
        const std::filesystem::file_time_type written =
            std::filesystem::last_write_time(path, error);
        if (error)
            return nullptr;
        const std::string key = path.string();
        if (const auto cached = waves.find(key); cached != waves.end()) {
            if (cached->second.size == size && cached->second.written == written)
                return cached->second.chunk.get();
            waves.erase(cached);
        }
        ChunkPtr chunk(Mix_LoadWAV(key.c_str()));
        if (!chunk)
            return nullptr;
        if (waves.size() >= MaxCachedWaves)
            waves.clear();
        Wave& wave = waves[key];
        wave = Wave{std::move(chunk), size, written};
        return wave.chunk.get();
    }
};

SdlSound::SdlSound(std::string programDir) {
    if (mixerTaken.exchange(true))
        return;
    if (!OpenAudio()) {
        mixerTaken = false;
        return;
    }
    mixer_ = std::make_unique<Mixer>(std::move(programDir));
}

SdlSound::~SdlSound() {
    if (!mixer_)
        return;
    // Freed through the rest: freeing a playing piece or wave takes the device's lock.
    CallMixer(mixer_->rest.get(), [this] {
        mixer_->pieces.clear();
        mixer_->waves.clear();
        mixer_->defaultWave.reset();
    });
    mixer_.reset();
    CloseAudio();
    mixerTaken = false;
}

void SdlSound::PlayWave(const std::string& relativeName) {
    if (!mixer_)
        return;
    const std::string name = PortablePath(relativeName);
    CallMixer(mixer_->rest.get(), [&] { mixer_->PlayWave(name); });
}

void SdlSound::SendCommand(const std::string& command) {
    if (!mixer_)
        return;
    if (const std::optional<MciCommand> parsed = ParseMciCommand(command)) {
        CallMixer(mixer_->rest.get(), [&] { mixer_->Run(*parsed); });
    }
}

void SdlSound::LeaveToExit() {
    // The mixing thread mixes under the device's lock: held and never given back, it stops
    // the thread at its next turn, after at most the one it is in.
    if (mixer_ && mixer_->rest)
        mixer_->rest->LeaveToExit();
}

bool SdlSound::Resting() const {
    return mixer_ && mixer_->rest && mixer_->rest->Resting();
}

bool SdlSound::IsOpen(const std::string& alias) const {
    return mixer_ && mixer_->pieces.count(text::LowerAsciiText(alias)) != 0;
}

} // namespace lexfall
