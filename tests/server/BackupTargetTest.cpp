// SPDX-License-Identifier: GPL-3.0-or-later
// backup never writes over the database it copies: not under its own name, another spelling of
// it, a link to it, or one of its side files, while the server has it open.
#include "support/RecordsServerProcess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace lexfall::testing {
namespace {

ino_t Inode(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST(BackupTargetTest, BackupRefusesItsOwnDatabaseByPathAndByInode) {
    ScratchDir folder;
    const std::filesystem::path db = folder.Path() / "records.sqlite";
    const RegisteredPlayer ann = AddRecordsPlayer(db.string(), "Ann", "ann@example.org");
    RecordsServerProcess server(db.string());
    const std::string who = "?u=Ann&e=ann@example.org&c=" + ann.Code;
    ASSERT_EQ(server.Get("/putmyrec.asp" + who + "&r=Ann,10,300,40,3010,2003-03-28").Body, "0");
    std::filesystem::create_hard_link(db, folder.Path() / "hard-link");
    std::filesystem::create_symlink(db, folder.Path() / "soft-link");
    std::filesystem::create_directory(folder.Path() / "sub");
    const ino_t before = Inode(db);
    const std::string targets[] = {
        db.string(),
        (folder.Path() / "sub" / ".." / "records.sqlite").string(),
        (folder.Path() / "hard-link").string(),
        (folder.Path() / "soft-link").string(),
        db.string() + "-wal",
        db.string() + "-shm",
    };
    for (const std::string& target : targets) {
        const CommandResult refused = RunRecordsCommand({"backup", target, "--db", db.string()});
        EXPECT_EQ(refused.ExitCode, 1) << target << "\n" << refused.Output;
        EXPECT_NE(refused.Output.find("itself"), std::string::npos) << refused.Output;
    }
    // Run from the database's folder with the default --db, as an operator would.
    const std::string here = "cd '" + folder.Path().string() + "' && '" + RecordsServerProgram() +
                             "' backup records.sqlite 2>&1";
    EXPECT_NE(std::system(here.c_str()), 0);
    EXPECT_EQ(Inode(db), before);
    EXPECT_EQ(server.Get("/getmyrec.asp" + who).Body, "Ann,10,300,40,3010,2003-03-28");
    // A file of its own is still fine.
    EXPECT_EQ(RunRecordsCommand({"backup", (folder.Path() / "copy").string(), "--db", db.string()})
                  .ExitCode,
              0);
}

} // namespace
} // namespace lexfall::testing
