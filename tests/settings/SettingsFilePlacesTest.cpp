// SPDX-License-Identifier: GPL-3.0-or-later
// Lexfall.ini wherever the player's desktop puts it: made private, on a file system that keeps
// no modes, and refused at once when a pipe stands in its place.
#include "settings/SettingsFile.h"
#include "support/AsNobody.h"
#include "support/ModeChangesRefused.h"
#include "support/ScratchDir.h"
#include "support/Settings.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace lexfall {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;
using testing::WithMusic;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// A new settings file is the player's alone (the access code and the proxy password are kept
// in it); an existing one keeps its mode.
TEST(SettingsFilePlaces, NewFileIsPrivateAndAnOldOneKeepsItsMode) {
    const ScratchDir dir;
    const std::string path = dir.File(SettingsFileName);
    const mode_t oldMask = ::umask(022);
    WriteIni(path, WithMusic("a.mid", 600, true));
    EXPECT_EQ(ModeOf(path), 0600u);
    fs::permissions(path, fs::perms(0644));
    WriteIni(path, WithMusic("b.mid", 600, true));
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(path), 0644u);
    EXPECT_EQ(LoadSettings(path).Music, "b.mid");
}

// A file system without modes (FAT) refuses the mode change with EPERM: the file is written
// and read back all the same, new or old.
TEST(SettingsFilePlaces, RefusedModeChangeIsNoError) {
    const ScratchDir dir;
    const std::string path = dir.File(SettingsFileName);
    testing::gRefuseModeChange = true;
    try {
        WriteIni(path, WithMusic("a.mid", 600, true));
        WriteIni(path, WithMusic("b.mid", 700, false));
    } catch (const Error& error) {
        ADD_FAILURE() << error.what();
    }
    testing::gRefuseModeChange = false;
    const Settings read = LoadSettings(path);
    EXPECT_EQ(read.Music, "b.mid");
    EXPECT_EQ(read.Speed, 700);
    EXPECT_FALSE(read.Sound);
}

// A FIFO in the file's place, in any mode: start-up reads the defaults at once (it used to wait
// for a writer for ever), and a write is refused naming the file and why; the pipe stays. Run
// as "nobody" so the modes count, under an alarm so a wait fails instead of hanging.
TEST(SettingsFilePlaces, FifoIsReadAsMissingAndRefusedOnWrite) {
    for (const unsigned mode : {0666u, 0644u, 0444u, 0222u, 0000u}) {
        SCOPED_TRACE(::testing::Message() << "mode 0" << std::oct << mode);
        const ScratchDir dir;
        fs::permissions(dir.Path(), fs::perms(0777));
        const std::string path = dir.File(SettingsFileName);
        ASSERT_EQ(::mkfifo(path.c_str(), mode), 0);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        const int code = testing::RunAsNobody([&] {
            ::alarm(10);
            if (LoadSettings(path).Speed != Settings().Speed)
                return false;
            try {
                WriteIni(path, WithMusic("a.mid", 600, true));
            } catch (const Error& error) {
                return std::string(error.what()) ==
                       "Unable to write to " + path + ". It is not a regular file.";
            }
            return false;
        });
        EXPECT_EQ(code, 0) << (code == -2 ? "waited on the pipe" : "not refused as expected");
        struct stat info {};
        ASSERT_EQ(::lstat(path.c_str(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe stays";
    }
}

} // namespace
} // namespace lexfall
