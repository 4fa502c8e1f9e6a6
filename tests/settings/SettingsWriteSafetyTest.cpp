// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file is never left half written: a refused write (a full disk) or a killed
// program leaves the old text or the new one, never a mix; one change is one write.
#include "settings/SettingsFile.h"
#include "support/AsNobody.h"
#include "support/ScratchDir.h"
#include "support/Settings.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lexfall {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;
using testing::WithMusic;

constexpr std::size_t kPage = 4096;

// What WriteIni makes of settings written over `before`.
std::string WrittenOver(const std::string& before, const Settings& settings) {
    ScratchDir scratch;
    scratch.Put(SettingsFileName, before);
    WriteIni(scratch.File(SettingsFileName), settings);
    return scratch.Get(SettingsFileName);
}

std::size_t CountEntries(const fs::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++count;
    return count;
}

// How the child filled its disk, and what it found.
enum Outcome {
    kIntact = 0,      // refused, the file byte for byte as it was, no stray file
    kNotRefused = 1,  // the write went through
    kChanged = 2,     // refused, but the file changed
    kStrayFile = 3,   // refused and intact, but a temporary file was left behind
    kSetupFailed = 4, // the full disk could not be made
    kViaFileSizeLimit = 8,
};

// A small tmpfs of this process's own (gone with it on every exit path), filled to its last
// page; false where mounting is not allowed.
bool MountFullTmpfs(const fs::path& folder) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("lexfall-test", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
        return false;
    return true;
}

bool FillDisk(const fs::path& filler) {
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const std::string page(kPage, 'f');
    while (::write(fd, page.data(), page.size()) > 0) {
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

// Runs in a child: lays `before` into folder (exactly one page), makes the disk full after it
// (a full tmpfs, or else a file-size limit of one page), and writes settings that grow the file.
[[noreturn]] void GrowOnAFullDisk(const fs::path& folder, const std::string& before,
                                  const Settings& settings, bool tryTmpfs) {
    const bool tmpfs = tryTmpfs && MountFullTmpfs(folder);
    const std::string path = (folder / SettingsFileName).string();
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, before.data(), before.size()) != ssize_t(before.size()))
            ::_exit(kSetupFailed);
        ::close(fd);
    }
    const int via = tmpfs ? 0 : kViaFileSizeLimit;
    if (tmpfs) {
        if (!FillDisk(folder / "filler"))
            ::_exit(kSetupFailed);
    } else {
        // Beyond the limit a write fails with EFBIG instead of raising SIGXFSZ.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{kPage, kPage};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(kSetupFailed);
    }
    const std::size_t entries = CountEntries(folder);
    try {
        WriteIni(path, settings);
        ::_exit(via + kNotRefused);
    } catch (const Error&) {
    }
    std::string after(before.size() + 1, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t got = fd < 0 ? -1 : ::read(fd, after.data(), after.size());
    if (got != ssize_t(before.size()) || after.compare(0, before.size(), before) != 0)
        ::_exit(via + kChanged);
    ::_exit(via + (CountEntries(folder) == entries ? kIntact : kStrayFile));
}

// A value that grows the file, refused where the disk ends at a page boundary: the file keeps
// every byte (rewritten in place, it lost Speed and Sound). The disk is a full tmpfs where this
// process may mount one, otherwise a file-size limit, which the second case always uses.
class FullDisk : public ::testing::TestWithParam<bool> {};

TEST_P(FullDisk, RefusedWriteLeavesTheFileWhole) {
    const Settings old = WithMusic("a.mid", 500, false);
    const std::string options = WrittenOver("", old);
    // Padding in front makes the file exactly one page.
    const std::string head = "[Notes]\r\nText=";
    const std::string before =
        head + std::string(kPage - head.size() - 4 - options.size(), 'n') + "\r\n\r\n" + options;
    ASSERT_EQ(before.size(), kPage);
    const Settings grown = WithMusic("a much longer music file name.mid", 500, false);

    ScratchDir dir;
    const fs::path folder = dir.File("disk");
    fs::create_directory(folder);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        GrowOnAFullDisk(folder, before, grown, GetParam());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "child ended by signal " << WTERMSIG(status);
    const int code = WEXITSTATUS(status);
    const char* via = (code & kViaFileSizeLimit) != 0 ? "a file-size limit" : "a full tmpfs";
    std::cout << "[ disk    ] full by " << via << "\n";
    ::testing::Test::RecordProperty("full_disk", via);
    EXPECT_EQ(code & ~kViaFileSizeLimit, kIntact) << "full by " << via;
}

INSTANTIATE_TEST_SUITE_P(SettingsWriteSafety, FullDisk, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& test) {
                             return test.param ? "TmpfsWhereAllowed" : "FileSizeLimit";
                         });

// A program killed at any moment of a write leaves the old text or the new one. The file is
// large, so a write takes a while and the kill lands inside one.
TEST(SettingsWriteSafety, KillDuringWriteLeavesOldOrNew) {
    ScratchDir dir;
    const std::string path = dir.File(SettingsFileName);
    const std::string pad = "[Notes]\r\nText=" + std::string(256 * 1024, 'n') + "\r\n\r\n";
    const Settings a = WithMusic("alpha.mid", 500, true);
    const Settings b = WithMusic("beta, a longer name.mid", 900, false);
    const std::string textA = WrittenOver(pad, a);
    const std::string textB = WrittenOver(textA, b);
    ASSERT_EQ(WrittenOver(textB, a), textA);

    std::mt19937 random(7);
    std::size_t strays = 0;
    for (int round = 0; round < 40; ++round) {
        dir.Put(SettingsFileName, textA);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (;;) {
                    WriteIni(path, b);
                    WriteIni(path, a);
                }
            } catch (...) {
                ::_exit(1);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + random() % 20000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
        const std::string after = dir.Get(SettingsFileName);
        ASSERT_TRUE(after == textA || after == textB)
            << "round " << round << ": a mix of " << after.size() << " bytes";
        strays += CountEntries(dir.Path()) - 1;
    }
    std::cout << "[ strays  ] " << strays << " temporary files after 40 kills\n";
    // Whatever a kill left, the next write clears once it is a minute old.
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        fs::last_write_time(entry.path(), old);
    WriteIni(path, a);
    EXPECT_EQ(CountEntries(dir.Path()), 1u);
}

// A temporary file of ours that an older write left stays only while it may still be in use.
TEST(SettingsWriteSafety, OnlyOldLeftoversOfOursAreRemoved) {
    ScratchDir dir;
    for (const char* name : {".Lexfall.ini.aB3xY9", ".Lexfall.ini.fresh1", ".Lexfall.ini.toolong1",
                             ".Other.ini.aB3xY9"})
        dir.Put(name, "left over");
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const char* name : {".Lexfall.ini.aB3xY9", ".Lexfall.ini.toolong1", ".Other.ini.aB3xY9"})
        fs::last_write_time(dir.File(name), old);
    WriteIni(dir.File(SettingsFileName), WithMusic("a.mid", 600, true));
    EXPECT_FALSE(fs::exists(dir.File(".Lexfall.ini.aB3xY9")));
    for (const char* name : {".Lexfall.ini.fresh1", ".Lexfall.ini.toolong1", ".Other.ini.aB3xY9"})
        EXPECT_TRUE(fs::exists(dir.File(name))) << name;
}

// The settings file's own rights count, not only the folder's: a file the player may not write
// (its mode, or another owner's) is refused with "Unable to write to ..." and stays byte for
// byte with its owner and mode; a writable file in a folder that takes no new file is written
// where it stands. Run as "nobody", since root may write anything.
struct RightsCase {
    const char* name;
    bool fileOurs;   // the file belongs to the player, else to root
    unsigned mode;   // the file's mode
    bool folderOurs; // the folder belongs to the player (0755), else to root (0755)
    bool written;
};

void PrintTo(const RightsCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingsFileRights : public ::testing::TestWithParam<RightsCase> {};

// Each case twice: a write that changes the file, and one whose values the file already holds
// (which only touches it): both are refused or allowed alike.
TEST_P(SettingsFileRights, FileRightsDecide) {
    const RightsCase& c = GetParam();
    const Settings settings = WithMusic("a.mid", 600, true);
    const std::string original = "[Register]\r\nUserName=Ann\r\n";
    for (const std::string& before : {original, WrittenOver(original, settings)}) {
        SCOPED_TRACE(before == original ? "changing write" : "unchanged write");
        ScratchDir dir;
        const uid_t player = testing::NobodyUid();
        fs::permissions(dir.Path(), fs::perms(0755));
        const fs::path folder = dir.Path() / "home";
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms(0755));
        const fs::path file = folder / SettingsFileName;
        std::ofstream(file, std::ios::binary) << before;
        fs::permissions(file, fs::perms(c.mode));
        if (c.fileOurs) {
            ASSERT_EQ(::chown(file.c_str(), player, static_cast<gid_t>(-1)), 0);
        }
        if (c.folderOurs) {
            ASSERT_EQ(::chown(folder.c_str(), player, static_cast<gid_t>(-1)), 0);
        }
        struct stat was {};
        ASSERT_EQ(::stat(file.c_str(), &was), 0);

        const int code = testing::RunAsNobody([&] {
            try {
                WriteIni(file.string(), settings);
                return c.written;
            } catch (const Error& e) {
                const bool named = std::string(e.what()) == "Unable to write to " + file.string();
                if (!named)
                    std::cerr << e.what() << "\n";
                return !c.written && named;
            }
        });
        EXPECT_EQ(code, 0);
        struct stat now {};
        ASSERT_EQ(::stat(file.c_str(), &now), 0);
        EXPECT_EQ(now.st_uid, was.st_uid) << "the owner stays";
        EXPECT_EQ(now.st_mode, was.st_mode) << "the mode stays";
        EXPECT_EQ(CountEntries(folder), 1u);
        if (c.written)
            EXPECT_EQ(testing::ReadAll(file), WrittenOver(before, settings));
        else
            EXPECT_EQ(testing::ReadAll(file), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SettingsWriteSafety, SettingsFileRights,
    ::testing::Values(RightsCase{"ReadOnlyFileOfOurs", true, 0444, true, false},
                      RightsCase{"RootsFile", false, 0644, true, false},
                      RightsCase{"RootsFileWritableByAll", false, 0666, true, false},
                      RightsCase{"OursInOurFolder", true, 0644, true, true},
                      RightsCase{"OursInAFolderWithoutNewFiles", true, 0644, false, true}),
    [](const ::testing::TestParamInfo<RightsCase>& test) { return test.param.name; });

// A link keeps pointing where it pointed; the file it leads to takes the text and keeps its
// permissions.
TEST(SettingsWriteSafety, LinkedFileIsWrittenWhereTheLinkPoints) {
    ScratchDir dir;
    fs::create_directory(dir.File("real"));
    dir.Put("real/settings.ini", "[Register]\r\nUserName=Ann\r\n");
    fs::permissions(dir.File("real/settings.ini"), fs::perms(0640));
    fs::create_symlink("real/settings.ini", dir.File(SettingsFileName));

    WriteIni(dir.File(SettingsFileName), WithMusic("a.mid", 600, true));
    EXPECT_TRUE(fs::is_symlink(dir.File(SettingsFileName)));
    EXPECT_EQ(fs::read_symlink(dir.File(SettingsFileName)), "real/settings.ini");
    EXPECT_EQ(dir.Get("real/settings.ini"),
              WrittenOver("[Register]\r\nUserName=Ann\r\n", WithMusic("a.mid", 600, true)));
    EXPECT_EQ(fs::status(dir.File("real/settings.ini")).permissions(), fs::perms(0640));
    EXPECT_EQ(CountEntries(dir.File("real")), 1u);
    EXPECT_EQ(CountEntries(dir.Dir()), 2u);
}

} // namespace
} // namespace lexfall
