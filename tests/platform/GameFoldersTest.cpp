#include "platform/GameFolders.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

} // namespace
} // namespace lexfall
