// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/sdl/SdlSound.h"

#include "media/MciCommand.h"
#include "media/Music.h"
#include "support/ScratchDir.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace lexfall {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

const fs::path SoundDir = fs::path(LEXFALL_BIN_DIR) / "sound";

TEST(MciCommandTest, ReadsTheGamesCommandsAndRejectsEverythingElse) {
    struct Case {
        const char* text;
        std::optional<MciCommand> expected;
    };
    const Case cases[] = {
        {"OPEN \"C:\\Games\\sound\\My Piece.mid\" TYPE SEQUENCER ALIAS LexfallMusic",
         MciCommand{MciVerb::Open, "LexfallMusic", "C:\\Games\\sound\\My Piece.mid"}},
        {"  open \"/a b/x.mid\"   alias M  type Sequencer ",
         MciCommand{MciVerb::Open, "M", "/a b/x.mid"}},
        {"OPEN /plain.mid ALIAS m", MciCommand{MciVerb::Open, "m", "/plain.mid"}},
        {"PLAY LexfallMusic from 0", MciCommand{MciVerb::Play, "LexfallMusic", ""}},
        {"play m", MciCommand{MciVerb::Play, "m", ""}},
        {"Stop LexfallMusic", MciCommand{MciVerb::Stop, "LexfallMusic", ""}},
        {"CLOSE LexfallMusic", MciCommand{MciVerb::Close, "LexfallMusic", ""}},
        // Not understood: nothing happens for these.
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"OPEN \"/x.mid\" TYPE SEQUENCER", std::nullopt},
        {"OPEN \"/x.mid TYPE SEQUENCER ALIAS m", std::nullopt},
        {"OPEN \"\" ALIAS m", std::nullopt},
        {"OPEN \"/x.wav\" TYPE waveaudio ALIAS m", std::nullopt},
        {"OPEN \"/x.mid\" ALIAS m ALIAS n", std::nullopt},
        {"OPEN \"/x.mid\" ALIAS", std::nullopt},
        {"OPEN \"/x.mid\" ALIAS m WAIT", std::nullopt},
        {"PLAY m from 1000", std::nullopt},
        {"PLAY m to 0", std::nullopt},
        {"PLAY", std::nullopt},
        {"STOP m now", std::nullopt},
        {"CLOSE", std::nullopt},
        {"SEEK m to start", std::nullopt},
        {"PAUSE m", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<MciCommand> parsed = ParseMciCommand(c.text);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value());
        if (!parsed)
            continue;
        EXPECT_EQ(parsed->verb, c.expected->verb);
        EXPECT_EQ(parsed->alias, c.expected->alias);
        EXPECT_EQ(parsed->path, c.expected->path);
    }
}

// Runs the test with the current directory moved, then moves it back.
class CurrentDir {
public:
    explicit CurrentDir(const fs::path& to) : before_(fs::current_path()) { fs::current_path(to); }
    ~CurrentDir() { fs::current_path(before_); }
    CurrentDir(const CurrentDir&) = delete;
    CurrentDir& operator=(const CurrentDir&) = delete;

private:
    fs::path before_;
};

bool PlayingSoonStops(std::chrono::seconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < deadline) {
        if (Mix_PlayingMusic() == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A format 0 MIDI file with one eighth-note long note at the default tempo.
std::string ShortMidi() {
    const unsigned char bytes[] = {
        'M',  'T',  'h', 'd', 0,    0,    0,  6,  0,    0,    0,    1,
        0,    96,                                 // header, 96 ticks a beat
        'M',  'T',  'r', 'k', 0,    0,    0,  12, // one track of 12 bytes
        0x00, 0x90, 60,  100, 0x30, 0x80, 60, 0,  0x00, 0xFF, 0x2F, 0x00}; // note on, off, end
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// The dummy driver mixes in real time with no sound card, so the mixer's state is real.
class SdlSoundTest : public ::testing::Test {
protected:
    SdlSoundTest() { setenv("SDL_AUDIODRIVER", "dummy", 1); }

    // One of the generated pieces the game offers, by its name in the sound folder.
    static std::string APiece() {
        const std::vector<std::string> pieces = ListMusicFiles(std::string(LEXFALL_BIN_DIR) + "/");
        return pieces.empty() ? std::string() : pieces.front();
    }
};

TEST_F(SdlSoundTest, TheGamesMusicCommandsOpenPlayStopAndCloseThePiece) {
    SdlSound sound;
    ASSERT_TRUE(sound.Audible()) << SDL_GetError();
    const std::string piece = APiece();
    ASSERT_FALSE(piece.empty());

    // The game's own texts, with a backslash before the file name.
    PlayMusic(sound, std::string(LEXFALL_BIN_DIR) + "/", piece, true);
    EXPECT_TRUE(sound.IsOpen("lexfallmusic"));
    EXPECT_EQ(Mix_PlayingMusic(), 1);

    sound.SendCommand("STOP LexfallMusic");
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_TRUE(sound.IsOpen("LexfallMusic"));
    sound.SendCommand("play LEXFALLMUSIC from 0");
    EXPECT_EQ(Mix_PlayingMusic(), 1);

    PlayMusic(sound, "", "", false);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_FALSE(sound.IsOpen("LexfallMusic"));
    // Stop and close of nothing pass silently.
    PlayMusic(sound, "", "", false);
    sound.SendCommand("PLAY LexfallMusic from 0");
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(SdlSoundTest, OpeningAnAliasInUseChangesNothing) {
    SdlSound sound;
    ASSERT_TRUE(sound.Audible());
    const std::string first = (SoundDir / APiece()).string();
    sound.SendCommand("OPEN \"" + first + "\" TYPE SEQUENCER ALIAS m");
    sound.SendCommand("PLAY m from 0");
    ASSERT_EQ(Mix_PlayingMusic(), 1);

    sound.SendCommand("OPEN \"" + first + "\" TYPE SEQUENCER ALIAS M");
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    sound.SendCommand("CLOSE M");
    EXPECT_FALSE(sound.IsOpen("m"));
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(SdlSoundTest, StoppingAnotherAliasLeavesThePlayingPieceAlone) {
    SdlSound sound;
    ASSERT_TRUE(sound.Audible());
    const std::string piece = (SoundDir / APiece()).string();
    sound.SendCommand("OPEN \"" + piece + "\" ALIAS a");
    sound.SendCommand("OPEN \"" + piece + "\" ALIAS b");
    sound.SendCommand("PLAY a");
    sound.SendCommand("STOP b");
    sound.SendCommand("CLOSE b");
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_TRUE(sound.IsOpen("a"));
}

TEST_F(SdlSoundTest, BadPathsAndUnknownCommandsOpenNothing) {
    SdlSound sound;
    ASSERT_TRUE(sound.Audible());
    const ScratchDir dir;
    dir.Put("noise.mid", "not a MIDI file at all");
    for (const std::string& path : {dir.File("missing.mid"), dir.Dir(), dir.File("noise.mid"),
                                    (SoundDir / "chimes.wav").string()}) {
        SCOPED_TRACE(path);
        sound.SendCommand("OPEN \"" + path + "\" TYPE SEQUENCER ALIAS m");
        EXPECT_FALSE(sound.IsOpen("m"));
    }
    sound.SendCommand("OPEN \"" + (SoundDir / APiece()).string() + "\" TYPE SEQUENCER");
    sound.SendCommand("garbage \"unclosed");
    sound.SendCommand("");
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(SdlSoundTest, APiecePlaysOnceAndStaysOpenWhenItEnds) {
    SdlSound sound;
    ASSERT_TRUE(sound.Audible());
    const ScratchDir dir;
    dir.Put("short.mid", ShortMidi());
    sound.SendCommand("OPEN \"" + dir.File("short.mid") + "\" TYPE SEQUENCER ALIAS m");
    sound.SendCommand("PLAY m from 0");
    ASSERT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_TRUE(PlayingSoonStops(std::chrono::seconds(10)));
    EXPECT_TRUE(sound.IsOpen("m"));
}

TEST_F(SdlSoundTest, WavesComeFromTheCurrentDirectoryAndCutEachOtherOff) {
    SdlSound sound;
    ASSERT_TRUE(sound.Audible());
    const ScratchDir dir;
    fs::create_directory(dir.File("sound"));
    fs::copy_file(SoundDir / "chimes.wav", dir.File("sound/chimes.wav"));
    fs::copy_file(SoundDir / "GameOver.wav", dir.File("sound/GameOver.wav"));
    const CurrentDir moved(dir.Dir());

    sound.PlayWave("sound\\GameOver.wav");
    EXPECT_EQ(Mix_Playing(SdlSound::WaveChannel), 1);
    const Mix_Chunk* gameOver = Mix_GetChunk(SdlSound::WaveChannel);
    const Uint32 gameOverLength = gameOver->alen;
    sound.PlayWave("sound\\chimes.wav");
    EXPECT_EQ(Mix_Playing(SdlSound::WaveChannel), 1);
    const Mix_Chunk* chimes = Mix_GetChunk(SdlSound::WaveChannel);
    EXPECT_NE(chimes, gameOver);

    // A file replaced on disk is read again; an unchanged one is not.
    sound.PlayWave("sound\\GameOver.wav");
    EXPECT_EQ(Mix_GetChunk(SdlSound::WaveChannel), gameOver);
    fs::copy_file(SoundDir / "RecBroken.wav", dir.File("sound/GameOver.wav"),
                  fs::copy_options::overwrite_existing);
    sound.PlayWave("sound\\GameOver.wav");
    EXPECT_EQ(Mix_Playing(SdlSound::WaveChannel), 1);
    EXPECT_NE(Mix_GetChunk(SdlSound::WaveChannel)->alen, gameOverLength);
}

// However the game is started: a wave is looked for in the current folder, then in the
// program's folder; found in neither, the default sound plays and cuts off the one playing.
TEST_F(SdlSoundTest, WavesComeFromTheCurrentFolderThenTheProgramsElseTheDefaultSound) {
    const ScratchDir program;
    const ScratchDir current;
    fs::create_directory(program.File("sound"));
    fs::create_directory(current.File("sound"));
    fs::copy_file(SoundDir / "chimes.wav", program.File("sound/chimes.wav"));
    fs::copy_file(SoundDir / "GameOver.wav", program.File("sound/GameOver.wav"));
    fs::copy_file(SoundDir / "RecBroken.wav", current.File("sound/GameOver.wav"));
    const CurrentDir moved(current.Dir());
    SdlSound sound(program.Dir() + "/");
    ASSERT_TRUE(sound.Audible());
    const auto lengthOf = [](const fs::path& file) {
        Mix_Chunk* chunk = Mix_LoadWAV(file.string().c_str());
        const Uint32 length = chunk != nullptr ? chunk->alen : 0;
        Mix_FreeChunk(chunk);
        return length;
    };

    sound.PlayWave("sound\\GameOver.wav");
    ASSERT_EQ(Mix_Playing(SdlSound::WaveChannel), 1);
    EXPECT_EQ(Mix_GetChunk(SdlSound::WaveChannel)->alen, lengthOf(SoundDir / "RecBroken.wav"))
        << "the current folder comes first";

    sound.PlayWave("sound\\chimes.wav");
    ASSERT_EQ(Mix_Playing(SdlSound::WaveChannel), 1);
    const Mix_Chunk* chimes = Mix_GetChunk(SdlSound::WaveChannel);
    EXPECT_EQ(chimes->alen, lengthOf(SoundDir / "chimes.wav"));

    sound.PlayWave("sound\\RecBroken.wav");
    EXPECT_EQ(Mix_Playing(SdlSound::WaveChannel), 1);
    const Mix_Chunk* fallback = Mix_GetChunk(SdlSound::WaveChannel);
    EXPECT_NE(fallback, chimes);
    for (const char* wave : {"chimes.wav", "GameOver.wav", "RecBroken.wav"})
        EXPECT_NE(fallback->alen, lengthOf(SoundDir / wave));
    sound.PlayWave("sound\\nothing here.wav");
    EXPECT_EQ(Mix_GetChunk(SdlSound::WaveChannel), fallback);
}

bool SoonResting(const SdlSound& sound) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (sound.Resting())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Nothing playing, the device rests; the next wave or piece wakes it and plays to its end.
TEST_F(SdlSoundTest, AnIdleDeviceRestsAndWakesForTheNextSound) {
    SdlSound sound;
    ASSERT_TRUE(sound.Audible());
    const ScratchDir dir;
    dir.Put("short.mid", ShortMidi());
    const std::string chimes = (SoundDir / "chimes.wav").string();
    EXPECT_TRUE(SoonResting(sound)) << "opened for nothing";
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        sound.PlayWave(chimes);
        EXPECT_FALSE(sound.Resting());
        EXPECT_EQ(Mix_Playing(SdlSound::WaveChannel), 1);
        EXPECT_TRUE(SoonResting(sound)) << "after the wave";
        EXPECT_EQ(Mix_Playing(SdlSound::WaveChannel), 0);
    }
    sound.SendCommand("OPEN \"" + dir.File("short.mid") + "\" TYPE SEQUENCER ALIAS m");
    sound.SendCommand("PLAY m from 0");
    EXPECT_FALSE(sound.Resting());
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_TRUE(SoonResting(sound)) << "after the piece";
    EXPECT_TRUE(sound.IsOpen("m"));
    // Stopped by the game rather than ended: it rests as well.
    sound.SendCommand("PLAY m from 0");
    sound.SendCommand("STOP m");
    EXPECT_TRUE(SoonResting(sound)) << "after a stop";
}

TEST_F(SdlSoundTest, WithoutADriverEveryCallIsSilentlyAccepted) {
    // The audio subsystem outlives the sound objects, so the driver is chosen anew only
    // once the earlier tests' starts are all undone.
    while (SDL_WasInit(SDL_INIT_AUDIO) != 0)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
    SdlSound sound;
    EXPECT_FALSE(sound.Audible());
    PlayMusic(sound, std::string(LEXFALL_BIN_DIR) + "/", APiece(), true);
    EXPECT_FALSE(sound.IsOpen("LexfallMusic"));
    PlayMusic(sound, "", "", false);
    sound.PlayWave("sound\\chimes.wav");
    sound.SendCommand("nonsense");
}

TEST_F(SdlSoundTest, OnlyOneLiveInstanceDrivesTheMixer) {
    auto first = std::make_unique<SdlSound>();
    ASSERT_TRUE(first->Audible());
    {
        SdlSound second;
        EXPECT_FALSE(second.Audible());
        second.SendCommand("OPEN \"" + (SoundDir / APiece()).string() + "\" ALIAS m");
        EXPECT_FALSE(second.IsOpen("m"));
    }
    first.reset();
    SdlSound third;
    EXPECT_TRUE(third.Audible());
}

} // namespace
} // namespace lexfall
