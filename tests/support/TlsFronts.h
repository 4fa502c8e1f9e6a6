// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Real TLS servers on 127.0.0.1 in front of a plain records server, as clubs run them: OpenSSL's
// s_server and nginx. Each is started with the object and stopped on every way out.
#include "support/LoopbackServer.h"
#include "support/ScratchDir.h"
#include "support/ServerProgram.h"
#include "support/TlsPeer.h"

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace lexfall::testing {

inline constexpr const char* kOpensslProgram = "/usr/bin/openssl";
inline constexpr const char* kNginxProgram = "/usr/sbin/nginx";

// openssl s_server serving files (-WWW: its own head and the body to the close; -HTTP: the
// file is the whole reply), then TLS's close_notify. Each file is a named pipe fed, when
// the server opens it, with the backend's reply to that target, so every request really
// reaches the records server, in order.
class OpensslFront {
public:
    struct Options {
        // "-tls1_2" or "-tls1_3".
        std::string version = "-tls1_3";
        // TLS 1.3 session tickets sent after the handshake.
        int tickets = 2;
        // The backend's whole reply with its Content-Length (-HTTP), or only its body (-WWW).
        bool wholeReply = false;
    };

    // targets: what the client will ask for, in order, each without the leading "/".
    OpensslFront(const TestAuthority& authority, std::uint16_t backend,
                 std::vector<std::string> targets, Options options)
        : backend_(backend), targets_(std::move(targets)), wholeReply_(options.wholeReply),
          port_(RefusedPort()) {
        for (const std::string& target : targets_)
            mkfifo(Fifo(target).c_str(), 0600);
        std::vector<std::string> args = {kOpensslProgram,
                                         "s_server",
                                         "-accept",
                                         "127.0.0.1:" + std::to_string(port_),
                                         "-cert",
                                         authority.Cert("loopback"),
                                         "-key",
                                         authority.Key("loopback"),
                                         options.wholeReply ? "-HTTP" : "-WWW",
                                         options.version};
        if (options.version == "-tls1_3") {
            args.push_back("-num_tickets");
            args.push_back(std::to_string(options.tickets));
        }
        feeder_ = std::thread([this] { Feed(); });
        program_ = std::make_unique<ServerProgram>(std::move(args), files_.Path(), port_);
    }
    ~OpensslFront() {
        program_.reset();
        stop_ = true;
        feeder_.join();
    }
    OpensslFront(const OpensslFront&) = delete;
    OpensslFront& operator=(const OpensslFront&) = delete;

    bool Ready() const { return program_->Ready(); }
    std::uint16_t Port() const { return port_; }
    std::string Output() const { return program_->Output(); }

private:
    std::string Fifo(const std::string& target) const { return files_.File(target); }

    void Feed() {
        // A server that dies or gives up closes its end of a pipe: that must fail the write,
        // not end the test program with SIGPIPE.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        for (const std::string& target : targets_) {
            // Opening a pipe for writing succeeds only once the server opened it for reading.
            int fd = -1;
            while (!stop_ &&
                   (fd = open(Fifo(target).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (fd < 0)
                return;
            fcntl(fd, F_SETFL, 0);
            std::string reply = RelayToLoopback(
                "GET /" + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", backend_);
            if (!wholeReply_) {
                const auto headEnd = reply.find("\r\n\r\n");
                reply = headEnd == std::string::npos ? std::string() : reply.substr(headEnd + 4);
            }
            if (write(fd, reply.data(), reply.size()) < 0) {
                const timespec now{};
                sigtimedwait(&pipeSignal, nullptr, &now);
            }
            close(fd);
        }
    }

    ScratchDir files_;
    std::uint16_t backend_;
    std::vector<std::string> targets_;
    bool wholeReply_;
    std::uint16_t port_;
    std::atomic<bool> stop_{false};
    std::thread feeder_;
    std::unique_ptr<ServerProgram> program_;
};

// nginx terminating TLS and passing each request on to the backend, as the README's recipe
// has it.
class NginxFront {
public:
    NginxFront(const TestAuthority& authority, std::uint16_t backend) : port_(RefusedPort()) {
        const std::filesystem::path dir = folder_.Path();
        std::ofstream(dir / "nginx.conf")
            << "worker_processes 1;\npid " << (dir / "nginx.pid").string() << ";\n"
            << "error_log " << (dir / "error.log").string() << ";\n"
            << "events { worker_connections 64; }\nhttp {\n  access_log off;\n"
            << "  client_body_temp_path " << (dir / "body").string() << ";\n"
            << "  proxy_temp_path " << (dir / "proxy").string() << ";\n"
            << "  fastcgi_temp_path " << (dir / "fastcgi").string() << ";\n"
            << "  uwsgi_temp_path " << (dir / "uwsgi").string() << ";\n"
            << "  scgi_temp_path " << (dir / "scgi").string() << ";\n"
            << "  server {\n    listen 127.0.0.1:" << port_ << " ssl;\n"
            << "    ssl_certificate " << authority.Cert("loopback") << ";\n"
            << "    ssl_certificate_key " << authority.Key("loopback") << ";\n"
            << "    location / { proxy_pass http://127.0.0.1:" << backend << "; }\n  }\n}\n";
        program_ = std::make_unique<ServerProgram>(
            std::vector<std::string>{kNginxProgram, "-e", (dir / "error.log").string(), "-p",
                                     dir.string(), "-c", (dir / "nginx.conf").string(), "-g",
                                     "daemon off; master_process off;"},
            dir, port_);
    }

    bool Ready() const { return program_->Ready(); }
    std::uint16_t Port() const { return port_; }

private:
    ScratchDir folder_;
    std::uint16_t port_;
    std::unique_ptr<ServerProgram> program_;
};

} // namespace lexfall::testing
