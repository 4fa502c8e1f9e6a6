// SPDX-License-Identifier: GPL-3.0-or-later
// The serve command as an operator meets it: clear start-up errors with a non-zero exit,
// SIGTERM that answers the request in flight, silent clients cut off.
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <functional>

namespace lexfall::testing {
namespace {

// Runs the test inside a folder and goes back on every exit path.
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;
    ~InFolder() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

TEST(ServeTest, StartUpErrorsExitNonZeroWithAPlainMessage) {
    ScratchDir folder;
    const InFolder inside(folder.Path());
    const std::string db = (folder.Path() / "club.sqlite").string();
    RecordsServerProcess running(db);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"serve", "--db", db, "--listen", "127.0.0.1:" + std::to_string(running.Port())},
         1,
         "the port is in use"},
        {{"serve", "--db", (folder.Path() / "no-such-folder" / "r.sqlite").string()},
         1,
         "cannot open"},
        {{"serve", "--db", "postgresql://lexfall@127.0.0.1:1/none?connect_timeout=2"},
         1,
         "cannot connect to PostgreSQL"},
        {{"serve", "--db", db, "--listen", "127.0.0.1"}, 2, "--listen takes HOST:PORT"},
        // Each option error names its own option.
        {{"serve", "--db", db, "--threads", "0"},
         2,
         "--threads takes a whole number from 1 to 256"},
        {{"serve", "--db", db, "--head-timeout", "soon"}, 2, "--head-timeout takes"},
        {{"serve", "--db", db, "--max-per-address", "-1"}, 2, "--max-per-address takes"},
        {{"frobnicate"}, 2, "unknown command frobnicate"},
        {{"add-player", "Ann"}, 2, "usage: lexfall-records add-player NAME EMAIL"},
        {{"add-player", "A\tB", "a@b", "--db", db}, 2, "may not hold control characters"},
    };
    for (const Case& c : cases) {
        const CommandResult result = RunRecordsCommand(c.args);
        EXPECT_EQ(result.ExitCode, c.exitCode) << result.Output;
        EXPECT_NE(result.Output.find(c.message), std::string::npos) << result.Output;
    }
    EXPECT_EQ(running.Get("/checkwr.asp").Status, 200); // the first server is untouched
    // A usage error leaves no database behind in the current folder.
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "records.sqlite"));
}

// Asks until the answer is yes, for at most ten seconds.
bool Eventually(const std::function<bool()>& yes) {
    for (int i = 0; i < 1000; ++i) {
        if (yes())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Sends a request in two halves around a SIGTERM: the connection taken before the signal is
// still answered, then the server exits cleanly.
TEST(ServeTest, TermFinishesTheRequestInFlight) {
    ScratchDir folder;
    // One loop thread and one connection per address: connections are taken in the order they
    // came, so once a second one is refused the first has been taken.
    RecordsServerProcess server((folder.Path() / "records.sqlite").string(),
                                {"--threads", "1", "--max-per-address", "1"});
    const int fd = ConnectLoopback(server.Port());
    ASSERT_GE(fd, 0);
    const std::string head = "GET /checkwr.asp HTTP/1.1\r\nHost: x\r\n";
    ASSERT_EQ(::send(fd, head.data(), head.size(), MSG_NOSIGNAL), ssize_t(head.size()));
    const int second = ConnectLoopback(server.Port());
    ASSERT_TRUE(Eventually([&] {
        return server.Output().find("refused-too-many-from-address") != std::string::npos;
    })) << server.Output();
    ::close(second);
    server.Signal(SIGTERM);
    // The rest goes once the signal is taken, which the closed listener shows.
    ASSERT_TRUE(Eventually([&] {
        const int probe = ConnectLoopback(server.Port());
        if (probe >= 0)
            ::close(probe);
        return probe < 0;
    })) << "the server still listens";
    ASSERT_EQ(::send(fd, "\r\n", 2, MSG_NOSIGNAL), 2);
    std::string response;
    char chunk[1024];
    ssize_t got;
    while ((got = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
        response.append(chunk, static_cast<std::size_t>(got));
    ::close(fd);
    EXPECT_EQ(response.rfind("HTTP/1.1 200 OK", 0), 0u) << response;
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_NE(server.Output().find("lexfall-records: stopped"), std::string::npos);
}

TEST(ServeTest, SilentClientIsCutOffWhileOthersAreServed) {
    ScratchDir folder;
    RecordsServerProcess server((folder.Path() / "records.sqlite").string(),
                                {"--read-timeout", "1", "--threads", "2"});
    std::vector<int> silent;
    for (int i = 0; i < 2; ++i) { // as many as there are threads
        const int fd = ConnectLoopback(server.Port());
        ASSERT_GE(fd, 0);
        silent.push_back(fd);
    }
    EXPECT_EQ(server.Get("/checkwr.asp").Status, 200);
    for (int fd : silent) {
        timeval limit{10, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        char byte;
        EXPECT_EQ(::recv(fd, &byte, 1, 0), 0); // closed by the server, not by our limit
        ::close(fd);
    }
}

// The kit that end-to-end tests of the game start: a fresh database, one player, a server.
TEST(ServeTest, KitServesItsPlayer) {
    RecordsServerWithPlayer kit;
    const RegisteredPlayer& player = kit.Player();
    const std::string who = "?u=" + player.Name + "&e=" + player.Email + "&c=" + player.Code;
    const std::string record = player.Name + ",10,300,40,3010,2003-03-28";
    EXPECT_EQ(kit.Server().Get("/putmyrec.asp" + who + "&r=" + record).Body, "0");
    EXPECT_EQ(kit.Server().Get("/getmyrec.asp" + who).Body, record);
    EXPECT_EQ(kit.Server().Get("/checkwr.asp").Body, record);
    EXPECT_EQ(kit.Server().BaseUrl(),
              "http://127.0.0.1:" + std::to_string(kit.Server().Port()) + "/");
}

} // namespace
} // namespace lexfall::testing
