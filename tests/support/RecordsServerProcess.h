// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A running lexfall-records for tests: `serve` on a free loopback port, stopped on every exit
// path (the destructor, and the kernel when the test process itself dies). With no database
// given it starts on a fresh SQLite file in a folder of its own.
#include "support/LoopbackServer.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <arpa/inet.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace lexfall::testing {

inline std::string RecordsServerProgram() {
    return std::string(LEXFALL_BIN_DIR) + "/lexfall-records";
}

struct CommandResult {
    int ExitCode = -1;
    std::string Output; // standard output and standard error together
};

// Runs lexfall-records with the given arguments to its end.
inline CommandResult RunRecordsCommand(const std::vector<std::string>& args) {
    std::string command = "'" + RecordsServerProgram() + "'";
    for (const std::string& arg : args) {
        std::string quoted = "'";
        for (char c : arg)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        command += ' ' + quoted + "'";
    }
    command += " 2>&1";
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> chunk{};
    std::size_t got;
    while ((got = fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        result.Output.append(chunk.data(), got);
    const int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

struct RegisteredPlayer {
    std::string Name;
    std::string Email;
    std::string Code;
};

// add-player, returning the access code it printed.
inline RegisteredPlayer AddRecordsPlayer(const std::string& db, const std::string& name,
                                         const std::string& email) {
    const CommandResult added = RunRecordsCommand({"add-player", name, email, "--db", db});
    const std::size_t at = added.Output.find("\nRegCode=");
    if (added.ExitCode != 0 || at == std::string::npos)
        throw std::runtime_error("add-player failed: " + added.Output);
    const std::size_t start = at + 9;
    return {name, email, added.Output.substr(start, added.Output.find('\n', start) - start)};
}

// One GET with the target exactly as given (blanks and all, as the game sends it), on a
// connection of its own. Returns the status code and the body; status 0 when the connection
// failed or was closed without a reply.
struct RawReply {
    int Status = 0;
    std::string Body;
    std::string Head; // the status line and the header lines
};

inline RawReply RawGet(int port, const std::string& target) {
    RawReply reply;
    const int fd = ConnectLoopback(port);
    if (fd < 0)
        return reply;
    timeval timeout{30, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    // The header lines the game sends.
    const std::string request =
        "GET " + target +
        " HTTP/1.1\r\nContent-Type: text/html\r\nHost: 127.0.0.1:" + std::to_string(port) +
        "\r\nAccept: text/html, */*\r\n\r\n";
    std::string response;
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
        char chunk[4096];
        ssize_t got;
        while ((got = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
            response.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    // The server closes after each reply, so the body is everything after the head.
    const std::size_t headEnd = response.find("\r\n\r\n");
    if (response.rfind("HTTP/1.1 ", 0) != 0 || headEnd == std::string::npos)
        return reply;
    reply.Status = std::stoi(response.substr(9, 3));
    reply.Body = response.substr(headEnd + 4);
    reply.Head = response.substr(0, headEnd);
    return reply;
}

// `lexfall-records serve --listen 127.0.0.1:0 --db DB`, its output kept for the test to read.
// Make it on the thread that outlives it (the test's own): the kernel's stop on the test's
// death follows the thread that started the server.
class RecordsServerProcess {
public:
    explicit RecordsServerProcess(std::string db, std::vector<std::string> extraArgs = {})
        : db_(std::move(db)) {
        int output[2];
        if (pipe(output) != 0)
            throw std::runtime_error("cannot make a pipe");
        std::vector<std::string> args = {RecordsServerProgram(), "serve", "--listen",
                                         "127.0.0.1:0",          "--db",  db_};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        // Made before fork: the child of a threaded process may not allocate.
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            // The server goes down with the test, however the test ends.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            dup2(output[1], STDOUT_FILENO);
            dup2(output[1], STDERR_FILENO);
            close(output[0]);
            close(output[1]);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(output[1]);
        outputFd_ = output[0];
        reader_ = std::thread([this] { ReadOutput(); });
        port_ = WaitForPort();
        if (port_ == 0) {
            Stop();
            throw std::runtime_error("lexfall-records did not start: " + Output());
        }
    }

    RecordsServerProcess(const RecordsServerProcess&) = delete;
    RecordsServerProcess& operator=(const RecordsServerProcess&) = delete;
    ~RecordsServerProcess() { Stop(); }

    int Port() const { return port_; }
    pid_t Pid() const { return pid_; }
    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    const std::string& Db() const { return db_; }
    RawReply Get(const std::string& target) const { return RawGet(port_, target); }

    // Everything the server wrote so far.
    std::string Output() const {
        std::lock_guard lock(mutex_);
        return output_;
    }

    // SIGTERM and wait, SIGKILL after ten seconds. Returns the exit code, -1 when killed.
    int Stop() { return End(SIGTERM); }
    // SIGKILL, as a crash would end it.
    void Kill() { End(SIGKILL); }
    // A signal without waiting for the end.
    void Signal(int signal) const {
        if (pid_ > 0)
            kill(pid_, signal);
    }

private:
    int End(int signal) {
        if (pid_ > 0) {
            kill(pid_, signal);
            int status = 0;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (waitpid(pid_, &status, WNOHANG) == 0) {
                if (std::chrono::steady_clock::now() > deadline) {
                    kill(pid_, SIGKILL);
                    waitpid(pid_, &status, 0);
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            pid_ = -1;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (reader_.joinable())
            reader_.join();
        if (outputFd_ >= 0)
            close(std::exchange(outputFd_, -1));
        return exitCode_;
    }

    void ReadOutput() {
        char chunk[4096];
        ssize_t got;
        while ((got = read(outputFd_, chunk, sizeof chunk)) > 0) {
            std::lock_guard lock(mutex_);
            output_.append(chunk, static_cast<std::size_t>(got));
        }
    }

    int WaitForPort() {
        const std::string marker = "serving on 127.0.0.1:";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string text = Output();
            if (const std::size_t at = text.find(marker); at != std::string::npos)
                return std::atoi(text.c_str() + at + marker.size());
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return 0;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }

    std::string db_;
    pid_t pid_ = -1;
    int outputFd_ = -1;
    int port_ = 0;
    int exitCode_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::string output_;
};

// The whole kit for an end-to-end test: a fresh SQLite database with one player, and a server
// on it. The player's name holds a blank, as the game sends names unencoded.
class RecordsServerWithPlayer {
public:
    RecordsServerWithPlayer()
        : db_((folder_.Path() / "records.sqlite").string()),
          player_(AddRecordsPlayer(db_, "Test Player", "player@example.org")), server_(db_) {}

    const RegisteredPlayer& Player() const { return player_; }
    RecordsServerProcess& Server() { return server_; }

private:
    ScratchDir folder_;
    std::string db_;
    RegisteredPlayer player_;
    RecordsServerProcess server_;
};

} // namespace lexfall::testing
