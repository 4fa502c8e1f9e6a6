// SPDX-License-Identifier: GPL-3.0-or-later
// The serve command against hostile clients: floods, slow heads, odd methods, forged log
// lines, a stop with slow clients holding on, and a database that drops its connections.
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <fstream>

namespace lexfall::testing {
namespace {

// Resident memory of a process in KiB, 0 when it is gone.
long ResidentKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

// Sends request whole and reads until the server closes: the raw reply, "" when none came.
// True while the server keeps the connection open: nothing to read yet, and not closed.
bool StillOpen(int fd) {
    char byte;
    const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

// Connections that have sent part of a head and then stall.
class SlowClients {
public:
    SlowClients(int port, int count) {
        for (int i = 0; i < count; ++i) {
            const int fd = ConnectLoopback(port);
            if (fd < 0)
                break;
            ::send(fd, "GET /checkwr.asp HTTP/1.1\r\nHo", 29, MSG_NOSIGNAL);
            fds_.push_back(fd);
        }
    }
    SlowClients(const SlowClients&) = delete;
    SlowClients& operator=(const SlowClients&) = delete;
    ~SlowClients() {
        for (int fd : fds_)
            ::close(fd);
    }
    const std::vector<int>& Fds() const { return fds_; }

private:
    std::vector<int> fds_;
};

std::string Who(const RegisteredPlayer& player) {
    return "?u=" + player.Name + "&e=" + player.Email + "&c=" + player.Code;
}

TEST(HttpCoreTest, HeaderFloodIsCutOffAndMemoryStaysBounded) {
    ScratchDir folder;
    RecordsServerProcess server((folder.Path() / "records.sqlite").string());
    const long idle = ResidentKib(server.Pid());
    std::atomic<long> peak = idle;
    std::atomic<int> cutOff = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    std::vector<std::thread> flooders;
    for (int i = 0; i < 4; ++i) {
        flooders.emplace_back([&] {
            const int fd = ConnectLoopback(server.Port());
            if (fd < 0)
                return;
            const std::string line = "X-Filler: " + std::string(100, 'a') + "\r\n";
            std::string burst = "GET /checkwr.asp HTTP/1.1\r\nHost: x\r\n";
            for (int n = 0; n < 64; ++n)
                burst += line;
            // At most 64 MB each: enough to show a head without a bound.
            for (std::size_t sent = 0; sent < (64u << 20); sent += burst.size()) {
                if (::send(fd, burst.data(), burst.size(), MSG_NOSIGNAL) < 0) {
                    ++cutOff;
                    break;
                }
                if (std::chrono::steady_clock::now() > until)
                    break;
            }
            ::close(fd);
        });
    }
    while (std::chrono::steady_clock::now() < until) {
        peak = std::max(peak.load(), ResidentKib(server.Pid()));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (auto& flooder : flooders)
        flooder.join();
    EXPECT_EQ(cutOff, 4);
    EXPECT_LT(peak, 64 * 1024) << "idle " << idle << " KiB";
    EXPECT_EQ(server.Get("/checkwr.asp").Status, 200);
}

// Each row: a raw request, the status it gets, and whether the player's record is still
// missing afterwards (nothing but GET may store).
TEST(HttpCoreTest, OnlyWholeGetRequestsAct) {
    RecordsServerWithPlayer kit;
    const RegisteredPlayer& player = kit.Player();
    const std::string put =
        "/putmyrec.asp" + Who(player) + "&r=" + player.Name + ",10,300,40,3010,2003-03-28";
    struct Case {
        std::string request;
        const char* status;
    };
    const Case cases[] = {
        {"HEAD " + put + " HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 405"},
        {"POST " + put + " HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", "HTTP/1.1 405"},
        {"DELETE " + put + " HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 405"},
        // A body is never read, so it cannot hold the connection open byte by byte.
        {"GET " + put + " HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhel", "HTTP/1.1 413"},
        // 8 KiB is the whole head's limit, however it is split into lines.
        {"GET " + put + " HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(8200, 'a') + "\r\n\r\n",
         "HTTP/1.1 431"},
        {"GET " + put + " HTTP/1.1\r\nHost: x\r\n" +
             [] {
                 std::string lines;
                 for (int i = 0; i < 400; ++i)
                     lines += "X-Line: aaaaaaaaaaaaaaaaaaa\r\n";
                 return lines;
             }() +
             "\r\n",
         "HTTP/1.1 431"},
    };
    for (const Case& c : cases) {
        const std::string reply = ExchangeOnLoopback(kit.Server().Port(), c.request);
        EXPECT_EQ(reply.rfind(c.status, 0), 0u) << c.request.substr(0, 40) << "\n" << reply;
    }
    EXPECT_EQ(kit.Server().Get("/getmyrec.asp" + Who(player)).Body, "5");
    EXPECT_EQ(kit.Server().Get(put).Body, "0"); // the same put as GET is stored
}

TEST(HttpCoreTest, SlowHeadIsCutAtItsDeadlineAndLogged) {
    ScratchDir folder;
    RecordsServerProcess server((folder.Path() / "records.sqlite").string(),
                                {"--head-timeout", "2", "--read-timeout", "5"});
    const int fd = ConnectLoopback(server.Port());
    ASSERT_GE(fd, 0);
    // A byte every half second never trips the silence limit; only the head's deadline can
    // end this before its 30 bytes are through.
    const std::string head = "GET /checkwr.asp HTTP/1.1\r\nX:";
    std::size_t sent = 0;
    for (; sent < head.size(); ++sent) {
        if (::send(fd, &head[sent], 1, MSG_NOSIGNAL) != 1 || !StillOpen(fd))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    ::close(fd);
    EXPECT_LT(sent, head.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_NE(server.Output().find("127.0.0.1 - - 408 head-too-slow"), std::string::npos)
        << server.Output();
}

TEST(HttpCoreTest, SlowClientsDoNotDelayOthers) {
    ScratchDir folder;
    RecordsServerProcess server((folder.Path() / "records.sqlite").string(),
                                {"--threads", "2", "--max-per-address", "0", "--read-timeout", "60",
                                 "--head-timeout", "60"});
    const SlowClients slow(server.Port(), 64);
    ASSERT_EQ(slow.Fds().size(), 64u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(server.Get("/checkwr.asp").Status, 200);
    // Answered while every slow client still held its connection.
    for (int fd : slow.Fds())
        EXPECT_TRUE(StillOpen(fd));
}

TEST(HttpCoreTest, ConnectionsPerAddressAreLimitedAndRefusalsLogged) {
    ScratchDir folder;
    RecordsServerProcess server((folder.Path() / "records.sqlite").string(),
                                {"--max-per-address", "4"});
    const SlowClients slow(server.Port(), 6);
    const auto refusals = [&] {
        const std::string log = server.Output();
        int count = 0;
        for (std::size_t at = 0; (at = log.find("refused-too-many", at)) != std::string::npos; ++at)
            ++count;
        return count;
    };
    for (int i = 0; i < 500 && refusals() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(refusals(), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the refused are closed
    int open = 0;
    for (int fd : slow.Fds())
        open += StillOpen(fd) ? 1 : 0;
    EXPECT_EQ(open, 4);
    EXPECT_NE(server.Output().find("127.0.0.1 - - - refused-too-many-from-address"),
              std::string::npos)
        << server.Output();
}

// Whatever a client puts in its path or headers, every line of the log is one line of ours.
TEST(HttpCoreTest, LogLinesCannotBeForged) {
    ScratchDir folder;
    RecordsServerProcess server((folder.Path() / "records.sqlite").string(),
                                {"--trust-proxy", "127.0.0.1"});
    const std::string forged[] = {
        "GET /x%0A2026-01-01T00:00:00Z 10.0.0.1 /checkwr.asp 200 0/checkwr.asp HTTP/1.1\r\n"
        "Host: x\r\nX-Forwarded-For: 203.0.113.7\r\n\r\n",
        "GET /\x1b[2J\xe9\x01/checkwr.asp HTTP/1.1\r\nHost: x\r\n\r\n",
        "GET /checkwr.asp HTTP/1.1\r\nHost: x\r\nX-Forwarded-For: 1.2.3.4, evil\x0d\r\n\r\n",
    };
    for (const std::string& request : forged)
        ExchangeOnLoopback(server.Port(), request);
    EXPECT_EQ(server.Stop(), 0);
    const std::string log = server.Output();
    std::istringstream lines(log);
    std::string line;
    int requests = 0;
    while (std::getline(lines, line)) {
        for (char c : line) {
            const auto byte = static_cast<unsigned char>(c);
            EXPECT_TRUE(byte >= 0x20 && byte < 0x7f) << line;
        }
        if (line.rfind("lexfall-records: ", 0) == 0)
            continue;
        ++requests;
        EXPECT_EQ(line.rfind("2026-01-01", 0), std::string::npos) << line;
    }
    EXPECT_EQ(requests, 3) << log;
    EXPECT_NE(log.find(" 203.0.113.7 GET /x%0A2026-01-01T00:00:00Z\\x2010.0.0.1"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(" GET /\\x1b[2J\\xe9\\x01/checkwr.asp "), std::string::npos) << log;
}

TEST(HttpCoreTest, TermStopsPromptlyWhateverSlowClientsHold) {
    ScratchDir folder;
    RecordsServerProcess server((folder.Path() / "records.sqlite").string(),
                                {"--max-per-address", "0"});
    const SlowClients slow(server.Port(), 32);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto signalled = std::chrono::steady_clock::now();
    // Stop kills after ten seconds, which gives -1: a clean 0 means the server ended itself.
    EXPECT_EQ(server.Stop(), 0) << server.Output();
    const auto took = std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled);
    std::cout << "stopped in " << took.count() << " s with 32 slow clients\n";
}

// An https server with a throwaway certificate: the same replies, and plain http is refused.
TEST(HttpCoreTest, ServesHttpsDirectly) {
    ScratchDir folder;
    const std::string cert = (folder.Path() / "cert.pem").string();
    const std::string key = (folder.Path() / "key.pem").string();
    const std::string make = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                             "-nodes -days 1 -subj /CN=127.0.0.1 -keyout '" +
                             key + "' -out '" + cert + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);
    RecordsServerProcess server((folder.Path() / "records.sqlite").string(),
                                {"--tls-cert", cert, "--tls-key", key});
    const std::string fetch = "printf 'GET /checkwr.asp HTTP/1.1\\r\\nHost: x\\r\\n\\r\\n' | "
                              "openssl s_client -connect 127.0.0.1:" +
                              std::to_string(server.Port()) + " -quiet -ign_eof 2>/dev/null";
    FILE* pipe = popen(fetch.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string reply;
    char chunk[1024];
    std::size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        reply.append(chunk, got);
    pclose(pipe);
    EXPECT_EQ(reply.rfind("HTTP/1.1 200 OK", 0), 0u) << reply;
    EXPECT_EQ(server.Get("/checkwr.asp").Status, 0); // plain http on the https port
    const CommandResult half = RunRecordsCommand({"serve", "--tls-cert", cert});
    EXPECT_EQ(half.ExitCode, 2) << half.Output;
}

// The database drops every connection, as a restart does: the pooled connections are found
// broken and replaced, and no client sees a failure.
TEST(HttpCoreTest, BrokenDatabaseConnectionsAreReplaced) {
    LEXFALL_REQUIRE_ENGINE(Engine::Postgres);
    TestDatabase database(Engine::Postgres);
    const RegisteredPlayer player =
        AddRecordsPlayer(database.Address(), "Ann Lee", "ann@example.org");
    RecordsServerProcess server(database.Address(), {"--threads", "2"});
    const std::string record = player.Name + ",10,300,40,3010,2003-03-28";
    ASSERT_EQ(server.Get("/putmyrec.asp" + Who(player) + "&r=" + record).Body, "0");
    // Both threads' connections in use, so both are pooled.
    std::thread other([&] { server.Get("/checkwr.asp"); });
    server.Get("/getmyrec.asp" + Who(player));
    other.join();

    PGconn* admin = PQconnectdb(database.Address().c_str());
    ASSERT_EQ(PQstatus(admin), CONNECTION_OK);
    PGresult* killed = PQexec(admin, "SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                     "WHERE datname = current_database() AND "
                                     "pid <> pg_backend_pid()");
    EXPECT_EQ(PQresultStatus(killed), PGRES_TUPLES_OK);
    EXPECT_GE(PQntuples(killed), 1);
    PQclear(killed);
    PQfinish(admin);

    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(server.Get("/getmyrec.asp" + Who(player)).Body, record);
        EXPECT_EQ(server.Get("/checkwr.asp").Body, record);
    }
    EXPECT_EQ(server.Output().find("database-error"), std::string::npos) << server.Output();
}

} // namespace
} // namespace lexfall::testing
