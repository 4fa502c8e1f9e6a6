// SPDX-License-Identifier: GPL-3.0-or-later
// Puts under pressure: two servers on one database taking concurrent puts lose no update, and
// a server killed mid-stream keeps every record it acknowledged.
#include "support/TestDatabase.h"

#include "records/RecordsProtocol.h"
#include "records/ScoreRec.h"
#include "support/Records.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

namespace lexfall::testing {
namespace {

// A valid record text of player with the given words; more words make a higher total.
std::string RecordOf(const std::string& player, int words, int extraSeconds) {
    TScoreRec rec{};
    rec.CompletedWords = words;
    rec.UsedLetters = 4 * words;
    rec.UsedTime = 30 * words + extraSeconds;
    rec.Total = ExpectedTotal(rec.CompletedWords, rec.UsedLetters, rec.UsedTime);
    return protocol::JoinRecordFields(player, rec.CompletedWords, rec.UsedTime, rec.UsedLetters,
                                      rec.Total, "2003-03-28");
}

int TotalOf(const std::string& text) {
    std::size_t at = 0;
    for (int comma = 0; comma < 4; ++comma)
        at = text.find(',', at) + 1;
    return std::stoi(text.substr(at));
}

class DurabilityTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        LEXFALL_REQUIRE_ENGINE(GetParam());
        db_ = std::make_unique<TestDatabase>(GetParam());
        for (int i = 0; i < 6; ++i)
            players_.push_back(AddRecordsPlayer(db_->Address(), "Player " + std::to_string(i),
                                                "p" + std::to_string(i) + "@example.org"));
    }

    std::string Put(const RecordsServerProcess& server, const RegisteredPlayer& player,
                    const std::string& record) const {
        return server
            .Get("/putmyrec.asp?u=" + player.Name + "&e=" + player.Email + "&c=" + player.Code +
                 "&r=" + record)
            .Body;
    }
    std::string Fetch(const RecordsServerProcess& server, const RegisteredPlayer& player) const {
        return server
            .Get("/getmyrec.asp?u=" + player.Name + "&e=" + player.Email + "&c=" + player.Code)
            .Body;
    }

    std::unique_ptr<TestDatabase> db_;
    std::vector<RegisteredPlayer> players_;
};

TEST_P(DurabilityTest, TwoServersOnOneDatabaseLoseNoUpdate) {
    RecordsServerProcess first(db_->Address());
    RecordsServerProcess second(db_->Address());
    // Sixteen clients put records of every player in a shuffled order of totals through
    // both servers at once; each player must end with the best record anyone put.
    constexpr int kClients = 16;
    constexpr int kPutsEach = 24;
    std::atomic<int> failures = 0;
    std::vector<std::thread> clients;
    std::mutex bestMutex;
    std::map<std::string, int> bestWords;
    for (int client = 0; client < kClients; ++client) {
        clients.emplace_back([&, client] {
            for (int i = 0; i < kPutsEach; ++i) {
                const RegisteredPlayer& player = players_[(client + i) % players_.size()];
                const int words = 1 + (client * 37 + i * 11) % 90;
                const std::string reply =
                    Put(i % 2 ? first : second, player, RecordOf(player.Name, words, 0));
                if (reply != "0" && reply != "6")
                    ++failures;
                std::lock_guard lock(bestMutex);
                bestWords[player.Name] = std::max(bestWords[player.Name], words);
            }
        });
    }
    for (auto& client : clients)
        client.join();
    EXPECT_EQ(failures, 0);

    std::string world;
    for (const RegisteredPlayer& player : players_) {
        const std::string expected = RecordOf(player.Name, bestWords[player.Name], 0);
        EXPECT_EQ(Fetch(first, player), expected);
        EXPECT_EQ(Fetch(second, player), expected);
        if (world.empty() || TotalOf(expected) > TotalOf(world))
            world = expected;
    }
    EXPECT_EQ(TotalOf(first.Get("/checkwr.asp").Body), TotalOf(world));
    EXPECT_EQ(first.Get("/checkwr.asp").Body, second.Get("/checkwr.asp").Body);
}

TEST_P(DurabilityTest, KilledServerKeepsEveryAcknowledgedRecord) {
    auto server = std::make_unique<RecordsServerProcess>(db_->Address());
    // Each client raises one player's record step by step until the server dies.
    std::vector<std::atomic<int>> acknowledged(players_.size());
    std::atomic<int> puts = 0;
    std::vector<std::thread> clients;
    for (std::size_t p = 0; p < players_.size(); ++p) {
        clients.emplace_back([&, p] {
            for (int words = 1; words < 100000; ++words) {
                const std::string reply =
                    Put(*server, players_[p], RecordOf(players_[p].Name, words, 7));
                if (reply != "0")
                    return; // the server is gone
                acknowledged[p] = words;
                ++puts;
            }
        });
    }
    // Killed mid-stream: once every client has had a few puts acknowledged (a busy machine
    // may start some clients late), while all keep putting.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const auto everyoneStarted = [&] {
        return std::all_of(acknowledged.begin(), acknowledged.end(),
                           [](const std::atomic<int>& words) { return words >= 5; });
    };
    while ((puts < 150 || !everyoneStarted()) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    server->Kill();
    for (auto& client : clients)
        client.join();

    RecordsServerProcess restarted(db_->Address());
    for (std::size_t p = 0; p < players_.size(); ++p) {
        const int last = acknowledged[p];
        ASSERT_GE(last, 5);
        // The put in flight at the kill may or may not have landed; nothing earlier is lost.
        const std::string stored = Fetch(restarted, players_[p]);
        const bool lastAcknowledged = stored == RecordOf(players_[p].Name, last, 7);
        const bool inFlight = stored == RecordOf(players_[p].Name, last + 1, 7);
        EXPECT_TRUE(lastAcknowledged || inFlight) << stored << " after " << last;
    }
    std::cout << "[ acked   ] " << puts << " puts acknowledged before SIGKILL\n";
}

// A backup taken while puts stream in: a consistent copy that holds every record acknowledged
// before it began, although the newest of them are still in the WAL file, not the database.
TEST_P(DurabilityTest, BackupDuringAStreamOfPutsKeepsEveryAcknowledgedRecord) {
    if (GetParam() != Engine::Sqlite)
        GTEST_SKIP() << "PostgreSQL is backed up with pg_dump";
    RecordsServerProcess server(db_->Address());
    std::vector<std::atomic<int>> acknowledged(players_.size());
    std::atomic<bool> stop = false;
    std::vector<std::thread> clients;
    for (std::size_t p = 0; p < players_.size(); ++p) {
        clients.emplace_back([&, p] {
            for (int words = 1; !stop && words < 100000; ++words) {
                if (Put(server, players_[p], RecordOf(players_[p].Name, words, 7)) != "0")
                    return;
                acknowledged[p] = words;
            }
        });
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::any_of(acknowledged.begin(), acknowledged.end(),
                       [](const std::atomic<int>& words) { return words < 5; }) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::vector<int> before;
    for (const auto& words : acknowledged)
        before.push_back(words);
    ScratchDir folder;
    const std::string copy = (folder.Path() / "backup.sqlite").string();
    const CommandResult backup = RunRecordsCommand({"backup", copy, "--db", db_->Address()});
    std::vector<int> after;
    for (const auto& words : acknowledged)
        after.push_back(words);
    stop = true;
    for (auto& client : clients)
        client.join();
    ASSERT_EQ(backup.ExitCode, 0) << backup.Output;
    EXPECT_NE(before, after) << "the puts went on while the backup ran";
    struct stat info {};
    ASSERT_EQ(stat(copy.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_FALSE(std::filesystem::exists(copy + "-wal")) << "the copy is one file";

    RecordsServerProcess restored(copy);
    for (std::size_t p = 0; p < players_.size(); ++p) {
        const std::string stored = Fetch(restored, players_[p]);
        bool known = false;
        for (int words = before[p]; words <= after[p] + 1 && !known; ++words)
            known = stored == RecordOf(players_[p].Name, words, 7);
        EXPECT_TRUE(known) << stored << ": acknowledged " << before[p] << " before the backup, "
                           << after[p] << " after";
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, DurabilityTest,
                         ::testing::Values(Engine::Sqlite, Engine::Postgres), EngineName);

} // namespace
} // namespace lexfall::testing
