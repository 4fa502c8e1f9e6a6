// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GameFolders.h"
#include "platform/PlayerFile.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace lexfall {
namespace {

using testing::ScratchDir;

const InstalledLayout kLayout{"../share/lexfall", "../lib/lexfall"};

// Which kind of copy a folder is, from what lies beside the program: Dict.dll there wins, an
// installed data folder makes an installed copy, and neither leaves it portable.
TEST(GameFoldersTest, DictionaryBesideTheProgramOrNoDataFolderMeansPortable) {
    struct Case {
        const char* name;
        bool dictBeside;
        bool dataFolder;
        bool installed;
    };
    for (const Case c :
         {Case{"portable", true, false, false}, Case{"both", true, true, false},
          Case{"installed", false, true, true}, Case{"dictionary lost", false, false, false}}) {
        ScratchDir root;
        const std::string program = root.Dir() + "usr/games/";
        std::filesystem::create_directories(program);
        if (c.dictBeside)
            root.Put("usr/games/Dict.dll", "x");
        if (c.dataFolder)
            std::filesystem::create_directories(root.Dir() + "usr/share/lexfall");

        // With and without the trailing separator, the answer is the same.
        for (const std::string& given : {program, program.substr(0, program.size() - 1)}) {
            const GameFolders f =
                ChooseGameFolders(given, kLayout, "/home/ann/.config", "/home/ann/.local/share");
            EXPECT_EQ(f.installed, c.installed) << c.name;
            if (c.installed) {
                EXPECT_EQ(f.dataDir, root.Dir() + "usr/share/lexfall/");
                EXPECT_EQ(f.moduleDir, root.Dir() + "usr/lib/lexfall/");
                EXPECT_EQ(f.settingsDir, "/home/ann/.config/lexfall/");
                EXPECT_EQ(f.recordsDir, "/home/ann/.local/share/lexfall/");
            } else {
                for (const std::string& folder :
                     {f.dataDir, f.moduleDir, f.settingsDir, f.recordsDir})
                    EXPECT_EQ(folder, program) << c.name;
            }
        }
    }
}

// A relative XDG value is ignored (an unexpanded "~/.config" from a launcher would otherwise
// depend on the folder the game was started from); without HOME the account's home counts, and
// with no home at all the place is "/", which the first write then names.
TEST(GameFoldersTest, PlayerHomesFollowTheXdgRules) {
    struct Case {
        const char* name;
        const char* home;
        const char* config;
        const char* data;
        std::string account;
        std::string configHome, dataHome;
    };
    for (const Case& c : {
             Case{"absolute values", "/home/ann", "/x/conf", "/x/data", "/acct", "/x/conf",
                  "/x/data"},
             Case{"unset", "/home/ann", nullptr, nullptr, "/acct", "/home/ann/.config",
                  "/home/ann/.local/share"},
             Case{"relative values", "/home/ann", "~/.config", "data", "/acct", "/home/ann/.config",
                  "/home/ann/.local/share"},
             Case{"empty values", "/home/ann", "", "", "/acct", "/home/ann/.config",
                  "/home/ann/.local/share"},
             Case{"no HOME", nullptr, nullptr, nullptr, "/acct", "/acct/.config",
                  "/acct/.local/share"},
             Case{"relative HOME", "ann", nullptr, nullptr, "/acct", "/acct/.config",
                  "/acct/.local/share"},
             Case{"no home at all", nullptr, nullptr, nullptr, "", "/.config", "/.local/share"},
             Case{"no home, absolute values", "", "/x/conf", "/x/data", "", "/x/conf", "/x/data"},
         }) {
        int asked = 0;
        const PlayerHomes homes = ChoosePlayerHomes(c.home, c.config, c.data, [&] {
            ++asked;
            return c.account;
        });
        EXPECT_EQ(homes.configHome, c.configHome) << c.name;
        EXPECT_EQ(homes.dataHome, c.dataHome) << c.name;
        const bool homeUsable = c.home != nullptr && c.home[0] == '/';
        EXPECT_EQ(asked, homeUsable ? 0 : 1)
            << c.name << ": the password database only without HOME";
    }
}

// The folders the game makes for the player's files are the player's alone; one already there
// keeps its mode.
TEST(GameFoldersTest, MadeFoldersArePrivateAndOldOnesStay) {
    ScratchDir root;
    std::filesystem::create_directory(root.Dir() + "home");
    std::filesystem::permissions(root.Dir() + "home", std::filesystem::perms(0755));
    const mode_t oldMask = ::umask(022);
    EXPECT_TRUE(MakeFolders(root.Dir() + "home/.local/share/lexfall/", 0700));
    ::umask(oldMask);
    const auto mode = [&](const std::string& folder) {
        struct stat info {};
        EXPECT_EQ(::stat((root.Dir() + folder).c_str(), &info), 0) << folder;
        return info.st_mode & 07777;
    };
    EXPECT_EQ(mode("home"), 0755u);
    for (const char* made : {"home/.local", "home/.local/share", "home/.local/share/lexfall"})
        EXPECT_EQ(mode(made), 0700u) << made;
    root.Put("home/file", "x");
    EXPECT_FALSE(MakeFolders(root.Dir() + "home/file/lexfall", 0700));
}

} // namespace
} // namespace lexfall
