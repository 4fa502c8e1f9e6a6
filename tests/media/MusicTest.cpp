// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/Music.h"

#include "support/Doubles.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace lexfall {
namespace {

using testing::RecordingSound;
using testing::ScratchDir;

TEST(MusicTest, PlayOpensByFullPathUnderTheAliasAndPlaysFromTheStart) {
    RecordingSound sound;
    PlayMusic(sound, "/opt/lexfall/", "Theme One.mid", true);
    EXPECT_EQ(sound.commands,
              (std::vector<std::string>{
                  "OPEN \"/opt/lexfall/sound\\Theme One.mid\" TYPE SEQUENCER ALIAS LexfallMusic",
                  "PLAY LexfallMusic from 0"}));
}

TEST(MusicTest, StopReleasesTheAliasWhateverTheName) {
    RecordingSound sound;
    PlayMusic(sound, "/opt/lexfall/", "ignored.mid", false);
    EXPECT_EQ(sound.commands,
              (std::vector<std::string>{"STOP LexfallMusic", "CLOSE LexfallMusic"}));
}

TEST(MusicTest, ListsEveryMidEntryOnceSortedWithoutRegardToCase) {
    const ScratchDir dir;
    const std::filesystem::path sound = dir.File("sound");
    std::filesystem::create_directories(sound / "x.mid");
    for (const char* name : {"b.mid", "A.MID", ".hidden.mid", "c.Mid", "notes.txt", "d.midi", "mid",
                             "e.mid.bak", "chimes.wav"})
        dir.Put(std::string("sound/") + name, "");
    const std::vector<std::string> expected{".hidden.mid", "A.MID", "b.mid", "c.Mid", "x.mid"};
    EXPECT_EQ(ListMusicFiles(dir.Dir()), expected);
    // Dropping the list down again lists each once.
    EXPECT_EQ(ListMusicFiles(dir.Dir()), expected);
}

TEST(MusicTest, MissingSoundFolderListsNothing) {
    const ScratchDir dir;
    EXPECT_TRUE(ListMusicFiles(dir.Dir()).empty());
}

TEST(MusicTest, WavesPlayOnlyWithSoundOn) {
    RecordingSound sound;
    PlayGameWave(sound, false, ChimesWave);
    EXPECT_TRUE(sound.waves.empty());
    PlayGameWave(sound, true, GameOverWave);
    PlayGameWave(sound, true, RecBrokenWave);
    EXPECT_EQ(sound.waves,
              (std::vector<std::string>{"sound\\GameOver.wav", "sound\\RecBroken.wav"}));
    EXPECT_TRUE(sound.commands.empty());
}

} // namespace
} // namespace lexfall
