// SPDX-License-Identifier: GPL-3.0-or-later
// The player's files wherever a desktop puts them: behind links, as pipes, under relative XDG
// values, without HOME, on a FAT stick. Each row starts the real window in a child process (as
// "nobody" when the tests run as root, so file modes count; under an alarm, so a start that
// waits fails instead of hanging), saves the options and a record, and starts again to read
// them back.
#include "app/FolderSearch.h"
#include "app/HomelessDialogs.h"
#include "app/TForm1.h"
#include "support/FormFixture.h"
#include "support/ModeChangesRefused.h"
#include "support/Records.h"
#include "support/ScratchDir.h"
#include "support/TestServices.h"

#include "records/HistoryFile.h"

#include <QCheckBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lexfall::testing {
namespace {

namespace fs = std::filesystem;

const std::string kMissingRecords = " Cannot find \"Records.dat\" file, new one created. ";
const std::string kFifoIni =
    "Unable to write to ~/.config/lexfall/Lexfall.ini. It is not a regular file.";
constexpr int kSkipped = 77;

// Paths in a row are written with "@" for the scratch folder, "~" for the player's home in it.
struct Place {
    const char* kind;
    const char* file;
    std::function<void(const std::string& root)> prepare = [](const std::string&) {};
    std::optional<std::string> home = "~";
    std::optional<std::string> xdgConfig = std::nullopt;
    std::optional<std::string> xdgData = std::nullopt;
    std::string account = "@account";
    bool fat = false;          // a portable copy on a loop-mounted FAT image, run by its mounter
    bool modesRefused = false; // a portable copy where every fchmod fails as FAT's does
    std::vector<std::string> startBoxes = {kMissingRecords};
    // Where a save lands; or, when empty, a text the refusal contains.
    std::string settingsAt = "~/.config/lexfall/Lexfall.ini";
    std::string settingsRefused = "";
    std::string recordsAt = "~/.local/share/lexfall/Records.dat";
    std::string recordsRefused = "";
    bool saidOnce = false; // no home: the start's one box says it all, the saves say nothing
};

std::string Expand(std::string text, const std::string& root) {
    for (std::size_t at = 0; (at = text.find_first_of("@~", at)) != std::string::npos;) {
        const std::string with = text[at] == '@' ? root : root + "home";
        text.replace(at, 1, with);
        at += with.size();
    }
    return text;
}

void Link(const std::string& target, const std::string& link) {
    fs::create_directories(fs::path(link).parent_path());
    fs::create_symlink(target, link);
}

void Fifo(const std::string& path, mode_t mode) {
    fs::create_directories(fs::path(path).parent_path());
    ::mkfifo(path.c_str(), mode);
    ::chmod(path.c_str(), mode);
}

// Everything under folder to uid, links themselves included.
void GiveTo(const fs::path& folder, uid_t uid, gid_t gid) {
    if (!fs::exists(folder))
        return;
    ::lchown(folder.c_str(), uid, gid);
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        ::lchown(entry.path().c_str(), uid, gid);
}

void SetEnv(const char* name, const std::optional<std::string>& value, const std::string& root) {
    if (value)
        ::setenv(name, Expand(*value, root).c_str(), 1);
    else
        ::unsetenv(name);
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& text : texts)
        all += (all.empty() ? "" : " / ") + text;
    return all.empty() ? "none" : all;
}

// Plays a one-word game to its end and saves it with Save Rec.
void PlayAndSave(TForm1& f) {
    PlayGameWith(f, 10, 5, 1);
    f.Records().Button8->click();
}

// The row's run, in the child; the problems found, one a line, and the row of the table.
std::vector<std::string> RunPlace(const Place& place, const std::string& root, std::string& row) {
    std::vector<std::string> problems;
    const auto expect = [&](bool ok, const std::string& what) {
        if (!ok)
            problems.push_back(what);
    };
    std::string program = root + "prefix/games/";
    const bool portable = place.fat || place.modesRefused;
    gRefuseModeChange = place.modesRefused;
    if (portable) {
        program = root + (place.fat ? "stick/lexfall/" : "home/portable/");
        fs::create_directories(program);
        std::ofstream(program + "Dict.dll", std::ios::binary) << kWordlessDict;
    }
    SetEnv("HOME", place.home, root);
    SetEnv("XDG_CONFIG_HOME", place.xdgConfig, root);
    SetEnv("XDG_DATA_HOME", place.xdgData, root);
    if (::chdir((root + "launch").c_str()) != 0)
        return {"no launch folder"};
    const GameFolders folders = FindGameFolders(QString::fromStdString(program),
                                                [&] { return Expand(place.account, root); });
    std::optional<HomelessDialogs> homeless;
    const auto servicesFor = [&](TestServices& services) {
        // As AppServices does.
        Instead instead;
        if (folders.homeless)
            instead.dialogs = &homeless.emplace(services.dialogs, folders);
        FormServices formServices = services.For(folders.dataDir, instead);
        formServices.settingsDir = folders.settingsDir;
        formServices.recordsDir = folders.recordsDir;
        return formServices;
    };
    const std::string settingsAt = Expand(place.settingsAt, root);
    const std::string recordsAt = Expand(place.recordsAt, root);
    const std::string iniPath = portable ? program + "Lexfall.ini" : settingsAt;
    const std::string recPath = portable ? program + "Records.dat" : recordsAt;

    TestServices services;
    TScoreRec saved{};
    {
        TForm1 form(servicesFor(services));
        std::vector<std::string> startBoxes;
        for (const std::string& box : place.startBoxes)
            startBoxes.push_back(Expand(box, root));
        expect(services.dialogs.messages == startBoxes,
               "start-up said: " + Joined(services.dialogs.messages));
        row = "start: " + Joined(services.dialogs.messages);

        services.dialogs.messages.clear();
        form.Options().CheckBoxSound->setChecked(false);
        const std::vector<std::string> settingsBoxes = services.dialogs.messages;
        services.dialogs.messages.clear();
        PlayAndSave(form);
        const std::vector<std::string> recordsBoxes = services.dialogs.messages;
        saved = form.game().GameRec();

        const auto check = [&](const char* what, const std::string& at, const std::string& refused,
                               const std::vector<std::string>& boxes,
                               const std::function<bool()>& landed) {
            const std::string expectedRefusal = Expand(refused, root);
            if (place.saidOnce) {
                expect(boxes.empty(), std::string(what) + " save said: " + Joined(boxes));
                expect(!landed(), std::string(what) + " landed in " + at);
                row += std::string("; ") + what + " save: nothing saved, nothing said";
            } else if (refused.empty()) {
                expect(boxes.empty(), std::string(what) + " save said: " + Joined(boxes));
                const bool there = landed();
                expect(there, std::string(what) + " not saved in " + at);
                row += std::string("; ") + what + (there ? " saved in " : " NOT saved in ") + at;
            } else {
                bool named = false;
                for (const std::string& box : boxes)
                    named = named || box.find(expectedRefusal) != std::string::npos;
                expect(named, std::string(what) + " save said: " + Joined(boxes));
                row += std::string("; ") + what + " save refused: " + Joined(boxes);
            }
        };
        check("settings", iniPath, place.settingsRefused, settingsBoxes,
              [&] { return ReadAll(iniPath).find("Sound=0") != std::string::npos; });
        check("records", recPath, place.recordsRefused, recordsBoxes,
              [&] { return ReadAll(recPath).substr(0, sizeof(TScoreRec)) == RecordBytes(saved); });
        // The history lies in the records' folder, whatever the record file is, and says nothing.
        const std::size_t kept = ReadHistory(folders.recordsDir).size();
        expect(kept == (place.saidOnce ? 0u : 1u),
               "the history beside the records holds " + std::to_string(kept) + " games");
        row += "; history: " + std::to_string(kept) + " game";
    }
    // Started again, the game reads back what was saved.
    TestServices again;
    TForm1 second(servicesFor(again));
    if (place.settingsRefused.empty() && !place.saidOnce)
        expect(!second.settings.Sound, "the settings did not read back");
    if (place.recordsRefused.empty() && !place.saidOnce)
        expect(RecordBytes(second.game().MyRec()) == RecordBytes(saved),
               "the record did not read back");
    std::error_code ignored;
    expect(fs::is_empty(root + "launch", ignored), "a file landed in the launch folder");
    return problems;
}

// A private mount namespace with a fresh FAT image on root/stick, mounted with the kernel's
// defaults; false where this machine does not allow it.
bool MountFatStick(const std::string& root) {
    const std::string image = root + "stick.img";
    const std::string stick = root + "stick";
    fs::create_directories(stick);
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return false;
    const std::string make = "truncate -s 8M " + image + " && mkfs.vfat " + image +
                             " >/dev/null 2>&1 && mount -o loop " + image + " " + stick +
                             " 2>/dev/null";
    return std::system(make.c_str()) == 0;
}

const Place kPlaces[] = {
    {.kind = "dangling link",
     .file = "Records.dat",
     .prepare =
         [](const std::string& root) {
             fs::create_directories(root + "home/Sync");
             Link("../../../Sync/Records.dat", root + "home/.local/share/lexfall/Records.dat");
         },
     .recordsAt = "~/Sync/Records.dat"},
    {.kind = "dangling link",
     .file = "Lexfall.ini",
     .prepare =
         [](const std::string& root) {
             fs::create_directories(root + "home/Sync");
             Link(root + "home/Sync/Lexfall.ini", root + "home/.config/lexfall/Lexfall.ini");
         },
     .settingsAt = "~/Sync/Lexfall.ini"},
    {.kind = "link into a missing folder",
     .file = "Records.dat",
     .prepare =
         [](const std::string& root) {
             Link(root + "home/Gone/Records.dat", root + "home/.local/share/lexfall/Records.dat");
         },
     .startBoxes = {"Cannot create file \"~/Gone/Records.dat\". No such file or directory."},
     .recordsAt = "",
     .recordsRefused = "Cannot create file \"~/Gone/Records.dat\". No such file or directory."},
    {.kind = "link into a missing folder",
     .file = "Lexfall.ini",
     .prepare =
         [](const std::string& root) {
             Link(root + "home/Gone/Lexfall.ini", root + "home/.config/lexfall/Lexfall.ini");
         },
     // The start-up stores the options once.
     .startBoxes = {kMissingRecords, "Unable to write to ~/.config/lexfall/Lexfall.ini"},
     .settingsAt = "",
     .settingsRefused = "Unable to write to ~/.config/lexfall/Lexfall.ini"},
    {.kind = "FIFO 0600",
     .file = "Records.dat",
     .prepare =
         [](const std::string& root) {
             Fifo(root + "home/.local/share/lexfall/Records.dat", 0600);
         },
     .startBoxes = {"Cannot open file \"~/.local/share/lexfall/Records.dat\". It is not a regular "
                    "file."},
     .recordsAt = "",
     .recordsRefused = "It is not a regular file."},
    {.kind = "FIFO 0400",
     .file = "Records.dat",
     .prepare =
         [](const std::string& root) {
             Fifo(root + "home/.local/share/lexfall/Records.dat", 0400);
         },
     .startBoxes = {"Cannot open file \"~/.local/share/lexfall/Records.dat\". It is not a regular "
                    "file."},
     .recordsAt = "",
     .recordsRefused = "It is not a regular file."},
    {.kind = "FIFO 0200",
     .file = "Records.dat",
     .prepare =
         [](const std::string& root) {
             Fifo(root + "home/.local/share/lexfall/Records.dat", 0200);
         },
     .startBoxes = {"Cannot open file \"~/.local/share/lexfall/Records.dat\". Permission denied."},
     .recordsAt = "",
     .recordsRefused = "Permission denied."},
    {.kind = "FIFO 0600",
     .file = "Lexfall.ini",
     .prepare =
         [](const std::string& root) { Fifo(root + "home/.config/lexfall/Lexfall.ini", 0600); },
     .startBoxes = {kMissingRecords, kFifoIni},
     .settingsAt = "",
     .settingsRefused = kFifoIni},
    {.kind = "FIFO 0400",
     .file = "Lexfall.ini",
     .prepare =
         [](const std::string& root) { Fifo(root + "home/.config/lexfall/Lexfall.ini", 0400); },
     .startBoxes = {kMissingRecords, kFifoIni},
     .settingsAt = "",
     .settingsRefused = kFifoIni},
    {.kind = "FIFO 0200",
     .file = "Lexfall.ini",
     .prepare =
         [](const std::string& root) { Fifo(root + "home/.config/lexfall/Lexfall.ini", 0200); },
     .startBoxes = {kMissingRecords, kFifoIni},
     .settingsAt = "",
     .settingsRefused = kFifoIni},
    {.kind = "relative XDG values", .file = "both", .xdgConfig = "~/.config", .xdgData = "data"},
    {.kind = "HOME unset",
     .file = "both",
     .home = std::nullopt,
     .settingsAt = "@account/.config/lexfall/Lexfall.ini",
     .recordsAt = "@account/.local/share/lexfall/Records.dat"},
    {.kind = "HOME unset, no account home",
     .file = "both",
     .home = std::nullopt,
     .account = "",
     .startBoxes = {"No home folder is known (HOME is not set), and \"/.config/lexfall/\" and "
                    "\"/.local/share/lexfall/\" cannot be made. Your settings and records will "
                    "not be saved."},
     .settingsAt = "/.config/lexfall/Lexfall.ini",
     .recordsAt = "/.local/share/lexfall/Records.dat",
     .saidOnce = true},
    {.kind = "FAT image, portable copy",
     .file = "both",
     .fat = true,
     .settingsAt = "",
     .recordsAt = ""},
    {.kind = "mode changes refused (EPERM), portable copy",
     .file = "both",
     .modesRefused = true,
     .settingsAt = "",
     .recordsAt = ""},
};

TEST(PlayerFiles, EveryPlaceStartsTheWindowAndSavesWhereThePlayerExpects) {
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t uid = nobody != nullptr ? nobody->pw_uid : 65534;
    const gid_t gid = nobody != nullptr ? nobody->pw_gid : 65534;
    std::printf("| Path kind | File | Result |\n|---|---|---|\n");
    for (const Place& place : kPlaces) {
        SCOPED_TRACE(std::string(place.kind) + ", " + place.file);
        const ScratchDir scratch;
        const std::string root = scratch.Dir();
        fs::permissions(scratch.Path(), fs::perms(0755));
        for (const char* folder : {"home", "account", "launch"})
            fs::create_directories(root + folder);
        if (!place.fat) {
            const std::string program = root + "prefix/games/";
            const std::string dataDir =
                (fs::path(program) / BuiltInstalledLayout().dataDir).lexically_normal().string();
            fs::create_directories(program);
            fs::create_directories(dataDir + "/sound");
            std::ofstream(dataDir + "/Dict.dll", std::ios::binary) << kWordlessDict;
        }
        place.prepare(root);
        const bool dropRoot = ::geteuid() == 0 && !place.fat;
        if (dropRoot)
            for (const char* folder : {"home", "account", "launch"})
                GiveTo(root + folder, uid, gid);

        std::fflush(stdout);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(60);
            if (place.fat && !MountFatStick(root))
                ::_exit(kSkipped);
            if (dropRoot &&
                (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
                ::_exit(100);
            // Without a home, "/" must be out of the player's reach, as it is on any desktop.
            if (place.account.empty() && !place.home && ::access("/", W_OK) == 0)
                ::_exit(kSkipped);
            std::string row;
            std::vector<std::string> problems;
            try {
                problems = RunPlace(place, root, row);
            } catch (const std::exception& error) {
                problems.push_back(std::string("escaped: ") + error.what());
            }
            std::printf("| %s | %s | %s |\n", place.kind, place.file, row.c_str());
            for (const std::string& problem : problems)
                std::fprintf(stderr, "  %s\n", problem.c_str());
            std::fflush(stdout);
            std::fflush(stderr);
            ::_exit(problems.empty() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFEXITED(status) && WEXITSTATUS(status) == kSkipped) {
            std::printf("| %s | %s | skipped: not possible on this machine |\n", place.kind,
                        place.file);
            continue;
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << (WIFSIGNALED(status)
                    ? "start-up or a save never finished"
                    : "problems above, exit " + std::to_string(WEXITSTATUS(status)));
    }
}

} // namespace
} // namespace lexfall::testing
