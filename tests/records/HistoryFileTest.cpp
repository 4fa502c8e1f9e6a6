// SPDX-License-Identifier: GPL-3.0-or-later
// The history file beside the record file: one whole line per game, a line cut short closed
// before the next, and a file or folder that refuses it leaves the game unkept and says why.
#include "records/HistoryFile.h"
#include "support/AsNobody.h"
#include "support/ScratchDir.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lexfall {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

constexpr std::int64_t kNoon = 46366LL * 86400 + 12 * 3600;

PlayedGame Game(std::int32_t seconds, std::int32_t letters, std::int32_t words) {
    TScoreRec rec{};
    rec.UsedTime = seconds;
    rec.UsedLetters = letters;
    rec.CompletedWords = words;
    return PlayedGame{kNoon + seconds, seconds, letters, words, TotalScore(rec), false};
}

const std::string kHeader = std::string(kHistoryHeader) + "\n";

TEST(HistoryFile, FirstGameMakesTheFileWithItsHeaderThenEachAddsALine) {
    const ScratchDir dir;
    EXPECT_TRUE(ReadHistory(dir.Path()).empty());
    const PlayedGame first = Game(48, 20, 5);
    const PlayedGame second = Game(100, 40, 9);
    AppendToHistory(dir.Path(), first);
    EXPECT_EQ(dir.Get(kHistoryFileName), kHeader + HistoryLine(first));
    AppendToHistory(dir.Path(), second);
    EXPECT_EQ(dir.Get(kHistoryFileName), kHeader + HistoryLine(first) + HistoryLine(second));
    EXPECT_EQ(ReadHistory(dir.Path()), (std::vector<PlayedGame>{first, second}));
}

TEST(HistoryFile, ALineCutShortIsClosedAndSkipped) {
    const ScratchDir dir;
    const PlayedGame first = Game(48, 20, 5);
    const PlayedGame next = Game(100, 40, 9);
    const std::string cut = HistoryLine(next).substr(0, 27);
    dir.Put(kHistoryFileName, kHeader + HistoryLine(first) + cut);
    AppendToHistory(dir.Path(), next);
    EXPECT_EQ(dir.Get(kHistoryFileName),
              kHeader + HistoryLine(first) + cut + "\n" + HistoryLine(next));
    EXPECT_EQ(ReadHistory(dir.Path()), (std::vector<PlayedGame>{first, next}));
}

// Read in pieces: a line split between two pieces still counts, one too long for a game (a
// foreign file without line ends) does not, and the line after it does.
TEST(HistoryFile, LinesAcrossPiecesAndOverlongLines) {
    const std::string first = HistoryLine(Game(48, 20, 5));
    const std::string second = HistoryLine(Game(100, 40, 9));
    const std::string text = first + std::string(3 << 20, 'x') + "\n" + second;
    const ScratchDir dir;
    dir.Put(kHistoryFileName, text);
    EXPECT_EQ(ReadHistory(dir.Path()),
              (std::vector<PlayedGame>{Game(48, 20, 5), Game(100, 40, 9)}));
    for (std::size_t cut = 1; cut < second.size(); ++cut) {
        HistoryReader reader;
        reader.Take(first + second.substr(0, cut));
        reader.Take(second.substr(cut));
        EXPECT_EQ(reader.Finish().size(), 2u) << cut;
    }
}

TEST(HistoryFile, AFileWithoutHeaderOrLinesIsWrittenOnAsItStands) {
    const ScratchDir dir;
    dir.Put(kHistoryFileName, "");
    AppendToHistory(dir.Path(), Game(1, 1, 0));
    EXPECT_EQ(dir.Get(kHistoryFileName), HistoryLine(Game(1, 1, 0)));
}

// A link to a file not made yet (a synced folder) gets the file where it points, as the
// record file does.
TEST(HistoryFile, ALinkToAMissingFileIsFollowed) {
    const ScratchDir dir;
    fs::create_directory(dir.File("Sync"));
    fs::create_symlink("Sync/History.csv", dir.File(kHistoryFileName));
    AppendToHistory(dir.Path(), Game(48, 20, 5));
    EXPECT_TRUE(fs::is_symlink(dir.File(kHistoryFileName)));
    EXPECT_EQ(dir.Get("Sync/History.csv"), kHeader + HistoryLine(Game(48, 20, 5)));
}

TEST(HistoryFile, GameHistoryKeepsInStepWithWhatItAdds) {
    const ScratchDir dir;
    GameHistory history(dir.Path());
    EXPECT_TRUE(history.Add(Game(10, 5, 1)));
    EXPECT_EQ(history.Games().size(), 1u); // read at the first look
    EXPECT_TRUE(history.Add(Game(20, 9, 2)));
    EXPECT_EQ(history.Games(), ReadHistory(dir.Path()));
    EXPECT_EQ(history.Games().size(), 2u);
    EXPECT_TRUE(history.Refusal().empty());
}

// Every way the folder can refuse the file: nothing thrown, the game not kept, the reason named.
TEST(HistoryFile, ARefusedFileIsNoHistoryAndSaysWhy) {
    struct Case {
        const char* name;
        std::function<fs::path(const ScratchDir&)> prepare; // gives the folder to keep games in
        const char* reason;
    };
    const Case cases[] = {
        {"missing folder", [](const ScratchDir& d) { return d.Path() / "gone"; },
         "No such file or directory"},
        {"a folder in the file's place",
         [](const ScratchDir& d) {
             fs::create_directory(d.Path() / kHistoryFileName);
             return d.Path();
         },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScratchDir dir;
        const fs::path folder = c.prepare(dir);
        GameHistory history(folder);
        EXPECT_FALSE(history.Add(Game(48, 20, 5)));
        EXPECT_NE(history.Refusal().find(kHistoryFileName), std::string::npos) << history.Refusal();
        EXPECT_NE(history.Refusal().find(c.reason), std::string::npos) << history.Refusal();
        EXPECT_TRUE(history.Games().empty());
        EXPECT_FALSE(fs::exists(dir.Path() / "gone")); // no folder is made for it
    }
}

// Read-only: a folder that takes no new file, and a file that takes no line. The games already
// kept still show. (Run as an ordinary user: root writes anywhere.)
TEST(HistoryFile, ReadOnlyFolderOrFileKeepsNothingNew) {
    for (const bool fileExists : {false, true}) {
        SCOPED_TRACE(fileExists ? "read-only file" : "read-only folder");
        const ScratchDir dir;
        const PlayedGame kept = Game(48, 20, 5);
        if (fileExists) {
            dir.Put(kHistoryFileName, kHeader + HistoryLine(kept));
            fs::permissions(dir.File(kHistoryFileName), fs::perms(0444));
        }
        fs::permissions(dir.Path(), fs::perms(fileExists ? 0777 : 0555));
        const std::string before = dir.Get(kHistoryFileName);
        EXPECT_EQ(testing::RunAsNobody([&] {
                      GameHistory history(dir.Path());
                      const bool added = history.Add(Game(100, 40, 9));
                      return !added && !history.Refusal().empty() &&
                             history.Games().size() == (fileExists ? 1u : 0u);
                  }),
                  0);
        EXPECT_EQ(dir.Get(kHistoryFileName), before);
        fs::permissions(dir.Path(), fs::perms::owner_all);
    }
}

} // namespace
} // namespace lexfall
