// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Another program serving on loopback for a test (tinyproxy, nginx, openssl s_server): started
// in a folder of the test's, its output kept in a file there, and stopped on every way out
// (the destructor, and the kernel when the test process itself dies).
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace lexfall::testing {

class ServerProgram {
public:
    // Runs args[0] (a full path) with the rest as its arguments, in folder, until the object
    // goes; then waits for it to accept on port. Ready() says whether it did.
    ServerProgram(std::vector<std::string> args, const std::filesystem::path& folder,
                  std::uint16_t port)
        : log_(folder / (std::filesystem::path(args.at(0)).filename().string() + ".log")) {
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const std::string dir = folder.string();
        const std::string log = log_.string();
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int in = open("/dev/null", O_RDONLY);
            if (out < 0 || in < 0 || chdir(dir.c_str()) != 0)
                _exit(126);
            dup2(in, STDIN_FILENO);
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        ready_ = WaitForListener(port);
    }
    ~ServerProgram() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    ServerProgram(const ServerProgram&) = delete;
    ServerProgram& operator=(const ServerProgram&) = delete;

    bool Ready() const { return ready_; }
    // What the program wrote so far.
    std::string Output() const {
        std::ifstream in(log_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    // Accepting within ten seconds, and still running.
    bool WaitForListener(std::uint16_t port) const {
        for (int i = 0; i < 400; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_)
                return false;
            if (const int fd = ConnectLoopback(port); fd >= 0) {
                close(fd);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    std::filesystem::path log_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

} // namespace lexfall::testing
