// SPDX-License-Identifier: GPL-3.0-or-later
// serve --tls-cert as the internet meets it: old TLS versions refused, and no client that stops
// anywhere in the handshake or before its request keeps a descriptor of the server's.
#include "support/RecordsServerProcess.h"
#include "support/TlsPeer.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <filesystem>

namespace lexfall::testing {
namespace {

std::size_t OpenDescriptors(pid_t pid) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd"))
        ++count;
    return count;
}

// What a real client sends first: OpenSSL's ClientHello, caught by a listener of our own.
std::string ClientHello() {
    std::uint16_t port = 0;
    const int listener = ListenOnLoopback(1, port);
    const std::string client =
        "timeout 5 openssl s_client -connect 127.0.0.1:" + std::to_string(port) +
        " </dev/null >/dev/null 2>&1 &";
    std::string hello;
    if (std::system(client.c_str()) == 0) {
        pollfd waiting{listener, POLLIN, 0};
        if (poll(&waiting, 1, 5000) == 1) {
            const int fd = accept(listener, nullptr, nullptr);
            char chunk[4096];
            pollfd reading{fd, POLLIN, 0};
            if (poll(&reading, 1, 5000) == 1) {
                const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
                if (got > 0)
                    hello.assign(chunk, static_cast<std::size_t>(got));
            }
            close(fd);
        }
    }
    close(listener);
    return hello;
}

// The exit code and output of an openssl s_client handshake with the server.
CommandResult Handshake(int port, const std::string& options) {
    const std::string command =
        "timeout 10 openssl s_client -connect 127.0.0.1:" + std::to_string(port) + " " + options +
        " </dev/null 2>&1";
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    std::size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        result.Output.append(chunk, got);
    const int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class TlsServeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(authority_.Ok()); }
    RecordsServerProcess Serve(std::vector<std::string> extra = {}) {
        extra.insert(extra.end(), {"--tls-cert", authority_.Cert("loopback"), "--tls-key",
                                   authority_.Key("loopback")});
        return RecordsServerProcess((folder_.Path() / "records.sqlite").string(), extra);
    }

    TestAuthority authority_;
    ScratchDir folder_;
};

TEST_F(TlsServeTest, OnlyTls12AndLaterAreSpoken) {
    RecordsServerProcess server = Serve();
    // The client would take anything, so a refusal is the server's.
    const std::string weak = "-cipher DEFAULT@SECLEVEL=0";
    for (const char* old : {"-tls1", "-tls1_1"}) {
        const CommandResult refused = Handshake(server.Port(), old + (" " + weak));
        EXPECT_NE(refused.ExitCode, 0) << old << "\n" << refused.Output;
        EXPECT_EQ(refused.Output.find("Cipher is ECDHE"), std::string::npos) << refused.Output;
    }
    for (const char* good : {"-tls1_2", "-tls1_3"}) {
        const CommandResult spoken = Handshake(server.Port(), good + (" " + weak));
        EXPECT_EQ(spoken.ExitCode, 0) << good << "\n" << spoken.Output;
    }
}

// Ten clients of each kind stop at one stage and wait past every timeout; once they are cut
// off and gone, the server holds as many descriptors as before.
TEST_F(TlsServeTest, StalledClientsLeaveNoDescriptorBehind) {
    RecordsServerProcess server = Serve({"--read-timeout", "1", "--head-timeout", "2"});
    const std::string hello = ClientHello();
    ASSERT_GT(hello.size(), 100u);
    const std::size_t before = OpenDescriptors(server.Pid());
    struct Kind {
        const char* name;
        std::function<void(int fd)> start;
    };
    const auto send = [](int fd, std::string_view bytes) {
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    };
    const Kind kinds[] = {
        {"nothing sent", [](int) {}},
        {"one byte of a ClientHello", [&](int fd) { send(fd, hello.substr(0, 1)); }},
        {"a whole ClientHello", [&](int fd) { send(fd, hello); }},
        {"plain HTTP on the https port",
         [&](int fd) { send(fd, "GET /checkwr.asp HTTP/1.1\r\n"); }},
    };
    for (const Kind& kind : kinds) {
        std::vector<int> clients;
        for (int i = 0; i < 10; ++i) {
            const int fd = ConnectLoopback(server.Port());
            ASSERT_GE(fd, 0);
            kind.start(fd);
            clients.push_back(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        for (int fd : clients)
            ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const std::size_t after = OpenDescriptors(server.Pid());
        std::cout << kind.name << ": " << before << " descriptors before, " << after << " after\n";
        EXPECT_EQ(after, before) << kind.name;
    }
    // A whole handshake and then silence, by a real TLS client.
    const std::string quiet = "(sleep 3 | timeout 10 openssl s_client -quiet -connect 127.0.0.1:" +
                              std::to_string(server.Port()) + ") >/dev/null 2>&1";
    std::vector<std::thread> handshaken;
    for (int i = 0; i < 10; ++i)
        handshaken.emplace_back([&] { (void)std::system(quiet.c_str()); });
    for (auto& client : handshaken)
        client.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::cout << "handshake, then silence: " << OpenDescriptors(server.Pid()) << " after\n";
    EXPECT_EQ(OpenDescriptors(server.Pid()), before);
    EXPECT_EQ(Handshake(server.Port(), "").ExitCode, 0); // still serving
}

} // namespace
} // namespace lexfall::testing
