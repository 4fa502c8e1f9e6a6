// SPDX-License-Identifier: GPL-3.0-or-later
// Records.dat wherever the player's desktop puts it: behind a link to a file not made yet, as a
// pipe, on a disk that fills up while the file is made.
#include "records/RecordFile.h"
#include "support/AsNobody.h"
#include "support/Doubles.h"
#include "support/Records.h"
#include "support/ScratchDir.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lexfall {
namespace {

namespace fs = std::filesystem;
using testing::RecordBytes;
using testing::ScratchDir;
using testing::ValidRecord;

const std::string kMissingText = " Cannot find \"Records.dat\" file, new one created. ";
constexpr double kToday = 46366.0;
const TScoreRec kMine = ValidRecord("Alice", 30, 10, 2, 45000.0);
const TScoreRec kWorld = ValidRecord("Bob", 300, 40, 10, 45100.0);

// The ways the game meets a missing record file: start-up, and each save.
struct Step {
    const char* name;
    std::function<void(const fs::path&, Dialogs&)> run;
};

const Step kSteps[] = {
    {"start-up",
     [](const fs::path& dir, Dialogs& dialogs) {
         TScoreRec mine{}, world{};
         bool read = false;
         LoadRecords(dir, dialogs, kToday, mine, world, read);
     }},
    {"SaveMyRec",
     [](const fs::path& dir, Dialogs& dialogs) { SaveMyRec(dir, dialogs, kMine, kWorld); }},
    {"SaveWorldRec",
     [](const fs::path& dir, Dialogs& dialogs) { SaveWorldRec(dir, dialogs, kMine, kWorld); }},
};

// A link to a file not made yet (records kept in a synced folder) gets the file where it
// points, and stays a link.
TEST(RecordFilePlaces, LinkToAMissingFileIsCreatedThroughTheLink) {
    for (const Step& step : kSteps) {
        SCOPED_TRACE(step.name);
        const ScratchDir dir;
        fs::create_directory(dir.File("Sync"));
        fs::create_symlink("Sync/Records.dat", dir.File("Records.dat"));
        testing::RecordingDialogs dialogs;
        step.run(dir.Path(), dialogs);
        EXPECT_EQ(dialogs.messages, std::vector<std::string>{kMissingText});
        EXPECT_TRUE(fs::is_symlink(dir.File("Records.dat")));
        EXPECT_EQ(dir.Get("Sync/Records.dat").size(), 2 * sizeof(TScoreRec));
    }
}

// A link into a folder that is not there: one error naming the file it leads to, and no "new
// one created" before it.
TEST(RecordFilePlaces, LinkIntoAMissingFolderGivesOneError) {
    for (const Step& step : kSteps) {
        SCOPED_TRACE(step.name);
        const ScratchDir dir;
        fs::create_symlink(dir.File("Sync/Records.dat"), dir.File("Records.dat"));
        testing::RecordingDialogs dialogs;
        try {
            step.run(dir.Path(), dialogs);
            ADD_FAILURE() << "not refused";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot create file \"" +
                                                     dir.File("Sync/Records.dat") +
                                                     "\". No such file or directory.");
        }
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
        EXPECT_FALSE(fs::exists(dir.File("Sync")));
    }
}

// A FIFO in the file's place is refused at once, whatever its mode; a player who may read it
// but not write it used to wait for a writer for ever. Run as "nobody" so the modes count, and
// under an alarm so a wait fails the test instead of hanging it.
TEST(RecordFilePlaces, FifoIsRefusedWithoutWaiting) {
    for (const unsigned mode : {0666u, 0644u, 0444u, 0222u, 0000u}) {
        for (const Step& step : kSteps) {
            SCOPED_TRACE(::testing::Message() << step.name << ", mode 0" << std::oct << mode);
            const ScratchDir dir;
            fs::permissions(dir.Path(), fs::perms(0755));
            ASSERT_EQ(::mkfifo(dir.File("Records.dat").c_str(), mode), 0);
            ASSERT_EQ(::chmod(dir.File("Records.dat").c_str(), mode), 0);
            const bool readable = (mode & 0004) != 0;
            const int code = testing::RunAsNobody([&] {
                ::alarm(10);
                testing::RecordingDialogs dialogs;
                try {
                    step.run(dir.Path(), dialogs);
                } catch (const Error& error) {
                    const std::string text = error.what();
                    return text.find(readable ? "It is not a regular file."
                                              : "Permission denied.") != std::string::npos &&
                           text.find(dir.File("Records.dat")) != std::string::npos;
                }
                return false;
            });
            EXPECT_EQ(code, 0) << (code == -2 ? "waited on the pipe" : "not refused as expected");
            struct stat info {};
            ASSERT_EQ(::lstat(dir.File("Records.dat").c_str(), &info), 0);
            EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe stays";
        }
    }
}

// A record file that could not be filled when it was made (a full disk; here a file-size
// limit of nothing) is removed again: the next start finds it missing, never empty or short.
TEST(RecordFilePlaces, FileThatCouldNotBeFilledIsRemoved) {
    for (const Step& step : kSteps) {
        SCOPED_TRACE(step.name);
        const ScratchDir dir;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit none{0, 0};
            if (::setrlimit(RLIMIT_FSIZE, &none) != 0)
                ::_exit(3);
            testing::RecordingDialogs dialogs;
            try {
                step.run(dir.Path(), dialogs);
            } catch (const Error&) {
                ::_exit(dialogs.messages == std::vector<std::string>{kMissingText} ? 0 : 2);
            }
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not refused, 2: other messages";
        EXPECT_FALSE(fs::exists(dir.File("Records.dat")));
    }
}

// An empty file an older version left behind is filled with both records by the next save, so
// Check WR finds a world slot after it.
TEST(RecordFilePlaces, EmptyFileGetsBothRecordsAtTheNextSave) {
    for (const Step& step : kSteps) {
        SCOPED_TRACE(step.name);
        const ScratchDir dir;
        dir.Put("Records.dat", "");
        testing::RecordingDialogs dialogs;
        step.run(dir.Path(), dialogs);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(dir.Get("Records.dat").size(), 2 * sizeof(TScoreRec));
        if (std::string(step.name) != "start-up") {
            EXPECT_EQ(dir.Get("Records.dat"), RecordBytes(kMine) + RecordBytes(kWorld));
        }
    }
}

} // namespace
} // namespace lexfall
