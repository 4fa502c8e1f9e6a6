// SPDX-License-Identifier: GPL-3.0-or-later
// The operator's commands: add-player's checks, the record and player commands, standings,
// option errors, and that only add-player ever creates a database.
#include "support/TestDatabase.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace lexfall::testing {
namespace {

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(AddPlayerTest, RefusesWithAOneLineReason) {
    ScratchDir folder;
    const std::string db = (folder.Path() / "records.sqlite").string();
    AddRecordsPlayer(db, "Ann Lee", "ann@example.org");
    struct Case {
        std::string name;
        std::string email;
        const char* reason; // empty: added
    };
    const Case cases[] = {
        {"Bob", "bob", "not of the form local@domain"},
        {"Bob", "bob@", "not of the form local@domain"},
        {"Bob", "@example.org", "not of the form local@domain"},
        {"Bob", "bob@x@example.org", "not of the form local@domain"},
        {"Bob", "bob smith@example.org", "blank"},
        {"Bob", "bob@.example.org", "domain"},
        {"ann lee", "other@example.org", "name is already registered as Ann Lee"},
        {"ANN LEE", "other@example.org", "name is already registered"},
        {"Zed", "ANN@Example.ORG", "e-mail address is already registered to Ann Lee"},
        {"Smith, J", "js@example.org", "comma"},
        {"Tab\tName", "tab@example.org", "control characters"},
        {"Bell\x07", "bell@example.org", "control characters"},
        {std::string(21, 'x'), "x@example.org", "21 bytes long; the game keeps 20"},
        {"J\xc3\xbcrgen M\xc3\xbcller-Schmidt", "jm@example.org", "bytes long"}, // 22 bytes
        {" Ann", "a2@example.org", "blank"},
        {std::string(20, 'y'), "y@example.org", ""},
        {"Bob", "bob@localhost", ""},
    };
    for (const Case& c : cases) {
        const CommandResult added = RunRecordsCommand({"add-player", c.name, c.email, "--db", db});
        if (*c.reason == '\0') {
            EXPECT_EQ(added.ExitCode, 0) << c.name << ": " << added.Output;
            continue;
        }
        // A name or address against the rules is a usage error (2), a taken one a refusal (1).
        EXPECT_EQ(added.ExitCode,
                  std::string(c.reason).find("registered") == std::string::npos ? 2 : 1)
            << c.name << " " << c.email;
        const std::string reason = added.Output.substr(0, added.Output.find('\n'));
        EXPECT_NE(reason.find(c.reason), std::string::npos) << added.Output;
    }
    const CommandResult listed = RunRecordsCommand({"list-players", "--db", db});
    EXPECT_EQ(Lines(listed.Output), 3u) << listed.Output;
}

// Read-only commands and the commands that change a player never create a database; each
// option error names its option; nothing is opened when the command line is wrong.
TEST(OperatorCommandTest, MistakesCreateNothing) {
    ScratchDir folder;
    const std::string typo = (folder.Path() / "recrods.sqlite").string();
    const std::vector<std::vector<std::string>> commands = {
        {"list-players"},
        {"standings"},
        {"reset-code", "Ann"},
        {"remove-player", "Ann"},
        {"remove-record", "Ann"},
        {"rename-player", "Ann", "Bea"},
        {"set-email", "Ann", "a@b.org"},
        {"backup", (folder.Path() / "copy").string()}};
    for (std::vector<std::string> args : commands) {
        args.insert(args.end(), {"--db", typo});
        const CommandResult result = RunRecordsCommand(args);
        EXPECT_EQ(result.ExitCode, 1) << args[0] << ": " << result.Output;
        EXPECT_NE(result.Output.find("no database at " + typo), std::string::npos) << result.Output;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));

    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"standings", "--top", "many"}, "--top takes a whole number from 1"},
        {{"standings", "--top", "0"}, "--top takes a whole number from 1"},
        {{"standings", "--top=5x"}, "--top takes a whole number"},
        {{"standings", "--db"}, "--db needs a value"},
        {{"standings", "--colour", "red"}, "unknown option --colour"},
        {{"rename-player", "Ann"}, "usage: lexfall-records rename-player NAME NEW-NAME"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        if (args.back() != "--db")
            args.insert(args.end(), {"--db", typo});
        const CommandResult result = RunRecordsCommand(args);
        EXPECT_EQ(result.ExitCode, 2) << result.Output;
        EXPECT_NE(result.Output.find(c.message), std::string::npos) << result.Output;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

// The database and everything SQLite keeps beside it are the server user's alone, whatever
// the umask; a folder the server makes is too.
TEST(OperatorCommandTest, DatabaseIsPrivate) {
    ScratchDir folder;
    const std::filesystem::path made = folder.Path() / "var" / "lexfall";
    const std::string db = (made / "records.sqlite").string();
    const mode_t before = umask(0);
    const CommandResult added =
        RunRecordsCommand({"add-player", "Ann", "ann@example.org", "--db", db});
    {
        RecordsServerProcess server(db); // leaves the -wal and -shm files while it runs
        EXPECT_EQ(server.Get("/checkwr.asp").Status, 200);
        for (const char* suffix : {"", "-wal", "-shm"}) {
            struct stat info {};
            ASSERT_EQ(stat((db + suffix).c_str(), &info), 0) << suffix;
            EXPECT_EQ(info.st_mode & 0777, 0600u) << db << suffix;
        }
    }
    umask(before);
    ASSERT_EQ(added.ExitCode, 0) << added.Output;
    struct stat info {};
    ASSERT_EQ(stat(made.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(made.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

class RecordCommandsTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        LEXFALL_REQUIRE_ENGINE(GetParam());
        db_ = std::make_unique<TestDatabase>(GetParam());
        ann_ = AddRecordsPlayer(db_->Address(), "Ann Lee", "ann@example.org");
        bob_ = AddRecordsPlayer(db_->Address(), "Bob", "bob@example.org");
        cid_ = AddRecordsPlayer(db_->Address(), "<Cid & Co>", "cid@example.org");
        AddRecordsPlayer(db_->Address(), "Dee", "dee@example.org"); // never puts
        server_ = std::make_unique<RecordsServerProcess>(db_->Address());
    }

    // As the game sends them: "&" and the like percent-encoded, blanks as they are.
    static std::string Encoded(const std::string& value) {
        std::string out;
        for (const char c : value) {
            if (c == '&' || c == '<' || c == '>' || c == '%') {
                static const char hex[] = "0123456789ABCDEF";
                out += {'%', hex[(c >> 4) & 15], hex[c & 15]};
            } else {
                out += c;
            }
        }
        return out;
    }
    std::string Put(const RegisteredPlayer& p, const std::string& record) const {
        return server_
            ->Get("/putmyrec.asp?u=" + Encoded(p.Name) + "&e=" + p.Email + "&c=" + p.Code +
                  "&r=" + Encoded(record))
            .Body;
    }
    std::string Fetch(const RegisteredPlayer& p) const {
        return server_->Get("/getmyrec.asp?u=" + Encoded(p.Name) + "&e=" + p.Email + "&c=" + p.Code)
            .Body;
    }
    // A serving SQLite server keeps the world record at hand, so a change made by a command in
    // another process shows there within the kept copy's life (a second), not at once.
    std::string WorldRecordOnceSettled(const std::string& expected) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::string body = server_->Get("/checkwr.asp").Body;
        while (body != expected && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            body = server_->Get("/checkwr.asp").Body;
        }
        return body;
    }
    CommandResult Run(std::vector<std::string> args) const {
        args.insert(args.end(), {"--db", db_->Address()});
        return RunRecordsCommand(args);
    }

    std::unique_ptr<TestDatabase> db_;
    RegisteredPlayer ann_, bob_, cid_;
    std::unique_ptr<RecordsServerProcess> server_;
};

TEST_P(RecordCommandsTest, StandingsOfASmallClub) {
    ASSERT_EQ(Put(ann_, "Ann Lee,10,200,40,4510,2003-04-02"), "0");
    ASSERT_EQ(Put(bob_, "Bob,10,300,40,3010,28/03/2003"), "0");
    ASSERT_EQ(Put(cid_, "x,10,300,40,3010,2003-03-29"), "0"); // level with Bob, put later
    const CommandResult text = Run({"standings"});
    ASSERT_EQ(text.ExitCode, 0) << text.Output;
    std::cout << text.Output;
    EXPECT_EQ(text.Output,
              "Rank  Name                      Total  Words  Seconds  Letters  Date\n"
              "   1  Ann Lee                    4510     10      200       40  2003-04-02\n"
              "   2  Bob                        3010     10      300       40  28/03/2003\n"
              "   2  <Cid & Co>                 3010     10      300       40  2003-03-29\n");
    EXPECT_EQ(Run({"standings", "--top", "1"}).Output.find("Bob"), std::string::npos);
    const CommandResult json = Run({"standings", "--json", "--top", "2"});
    EXPECT_EQ(json.Output,
              "[\n {\"rank\": 1, \"name\": \"Ann Lee\", \"total\": 4510, \"words\": 10, "
              "\"seconds\": 200, \"letters\": 40, \"date\": \"2003-04-02\"},\n"
              " {\"rank\": 2, \"name\": \"Bob\", \"total\": 3010, \"words\": 10, "
              "\"seconds\": 300, \"letters\": 40, \"date\": \"28/03/2003\"}\n]\n");
}

// Remedies that keep the player: the record goes, the name or e-mail changes.
TEST_P(RecordCommandsTest, RecordAndPlayerRemedies) {
    ASSERT_EQ(Put(ann_, "Ann Lee,10,200,40,4510,2003-04-02"), "0");
    ASSERT_EQ(Put(bob_, "Bob,10,300,40,3010,2003-03-28"), "0");

    EXPECT_EQ(Run({"remove-record", "Ann Lee"}).ExitCode, 0);
    EXPECT_EQ(Fetch(ann_), "5"); // still a player, without a record
    EXPECT_EQ(WorldRecordOnceSettled("Bob,10,300,40,3010,2003-03-28"),
              "Bob,10,300,40,3010,2003-03-28");
    const CommandResult again = Run({"remove-record", "Ann Lee"});
    EXPECT_EQ(again.ExitCode, 1);
    EXPECT_NE(again.Output.find("Ann Lee has no record"), std::string::npos);
    EXPECT_EQ(Run({"remove-record", "Nobody"}).ExitCode, 1);

    // The record follows a new name; the old name is gone, a taken one is refused.
    EXPECT_EQ(Run({"rename-player", "Bob", "Robert"}).ExitCode, 0);
    EXPECT_EQ(Fetch(bob_), "1");
    RegisteredPlayer robert = bob_;
    robert.Name = "Robert";
    EXPECT_EQ(Fetch(robert), "Robert,10,300,40,3010,2003-03-28");
    EXPECT_EQ(WorldRecordOnceSettled("Robert,10,300,40,3010,2003-03-28"),
              "Robert,10,300,40,3010,2003-03-28");
    const CommandResult taken = Run({"rename-player", "Robert", "ann lee"});
    EXPECT_EQ(taken.ExitCode, 1);
    EXPECT_NE(taken.Output.find("already registered as Ann Lee"), std::string::npos);
    EXPECT_EQ(Run({"rename-player", "Robert", "Rob,ert"}).ExitCode, 2);
    EXPECT_EQ(Run({"rename-player", "Robert", "ROBERT"}).ExitCode,
              0); // its own name in another case

    EXPECT_EQ(Run({"set-email", "Ann Lee", "BOB@example.org"}).ExitCode, 1);
    EXPECT_EQ(Run({"set-email", "Ann Lee", "ann.lee"}).ExitCode, 2);
    EXPECT_EQ(Run({"set-email", "Ann Lee", "ann.lee@example.net"}).ExitCode, 0);
    EXPECT_EQ(Fetch(ann_), "3");
    RegisteredPlayer moved = ann_;
    moved.Email = "ann.lee@example.net";
    EXPECT_EQ(Fetch(moved), "5");
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordCommandsTest,
                         ::testing::Values(Engine::Sqlite, Engine::Postgres), EngineName);

} // namespace
} // namespace lexfall::testing
