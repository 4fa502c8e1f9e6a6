// SPDX-License-Identifier: GPL-3.0-or-later
// A PostgreSQL database that stops answering (its processes frozen, as a hung host or a cut
// network leaves them): a request fails with "7" within its deadline instead of hanging, a put
// the database sees only after that reply is never stored, and SIGTERM still ends the server.
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <libpq-fe.h>
#include <signal.h>

namespace lexfall::testing {
namespace {

// The database's processes that serve lexfall-records, stopped until the object goes.
class FrozenBackends {
public:
    explicit FrozenBackends(const std::string& address) {
        PGconn* admin = PQconnectdb(address.c_str());
        PGresult* rows = PQexec(admin, "SELECT pid FROM pg_stat_activity WHERE "
                                       "application_name = 'lexfall-records' AND "
                                       "datname = current_database()");
        for (int row = 0; row < PQntuples(rows); ++row)
            pids_.push_back(std::atoi(PQgetvalue(rows, row, 0)));
        PQclear(rows);
        PQfinish(admin);
        for (pid_t pid : pids_)
            kill(pid, SIGSTOP);
    }
    ~FrozenBackends() { Thaw(); }
    FrozenBackends(const FrozenBackends&) = delete;
    FrozenBackends& operator=(const FrozenBackends&) = delete;

    std::size_t Count() const { return pids_.size(); }
    void Thaw() {
        for (pid_t pid : pids_)
            kill(pid, SIGCONT);
        pids_.clear();
    }

private:
    std::vector<pid_t> pids_;
};

std::string Who(const RegisteredPlayer& player) {
    return "?u=" + player.Name + "&e=" + player.Email + "&c=" + player.Code;
}

TEST(StalledDatabaseTest, FrozenDatabaseFailsRequestsInTimeAndStoresNothingLate) {
    LEXFALL_REQUIRE_ENGINE(Engine::Postgres);
    TestDatabase database(Engine::Postgres);
    const RegisteredPlayer ann = AddRecordsPlayer(database.Address(), "Ann", "ann@example.org");
    RecordsServerProcess server(database.Address(), {"--threads", "1"});
    const std::string first = "Ann,10,300,40,3010,2003-03-28";
    const std::string better = "Ann,12,300,50,3612,2003-03-29";
    ASSERT_EQ(server.Get("/putmyrec.asp" + Who(ann) + "&r=" + first).Body, "0");
    ASSERT_EQ(server.Get("/getmyrec.asp" + Who(ann)).Body, first); // every connection pooled

    FrozenBackends frozen(database.Address());
    ASSERT_GE(frozen.Count(), 1u);
    const auto asked = std::chrono::steady_clock::now();
    const RawReply late = server.Get("/putmyrec.asp" + Who(ann) + "&r=" + better);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
    std::cout << "put against a frozen database: status " << late.Status << ", reply '" << late.Body
              << "' after " << took << " s\n";
    EXPECT_EQ(late.Status, 200);
    EXPECT_EQ(late.Body, "7");

    // The frozen statement reaches the database after its reply: it must store nothing.
    frozen.Thaw();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(server.Get("/getmyrec.asp" + Who(ann)).Body, first) << server.Output();
    EXPECT_NE(server.Output().find("database-error the database did not answer in time"),
              std::string::npos)
        << server.Output();
}

TEST(StalledDatabaseTest, TermEndsTheServerWhileTheDatabaseHangs) {
    LEXFALL_REQUIRE_ENGINE(Engine::Postgres);
    TestDatabase database(Engine::Postgres);
    const RegisteredPlayer ann = AddRecordsPlayer(database.Address(), "Ann", "ann@example.org");
    RecordsServerProcess server(database.Address(), {"--threads", "1"});
    ASSERT_EQ(server.Get("/getmyrec.asp" + Who(ann)).Body, "5");
    FrozenBackends frozen(database.Address());
    std::thread waiting([&] { server.Get("/getmyrec.asp" + Who(ann)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto signalled = std::chrono::steady_clock::now();
    // Stop kills after ten seconds, which gives -1: 0 means the server ended itself.
    EXPECT_EQ(server.Stop(), 0) << server.Output();
    std::cout << "stopped in "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count()
              << " s with a request waiting on a frozen database\n";
    waiting.join();
}

} // namespace
} // namespace lexfall::testing
