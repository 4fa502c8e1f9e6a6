// SPDX-License-Identifier: GPL-3.0-or-later
// One HttpGet of a short reply from a loopback server, beside the same request done with bare
// POSIX calls (connect, write, read to the close) in the same run. The difference is what the
// request building, the reply reader and the connect limit cost.
#include "online/HttpAccess.h"
#include "platform/posix/PosixNetwork.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

using namespace lexfall;

constexpr const char* kReply =
    "HTTP/1.1 200 OK\r\nContent-Length: 34\r\n\r\nChampion,10,300,40,3010,2003-03-28";
constexpr const char* kRequest = "GET /checkwr.asp HTTP/1.1\r\n"
                                 "Content-Type: text/html\r\n"
                                 "Host: 127.0.0.1\r\n"
                                 "Accept: text/html, */*\r\n"
                                 "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n";

// Answers every request with kReply and closes, until it goes.
class ReplyServer {
public:
    ReplyServer() : stop_(eventfd(0, EFD_CLOEXEC)) {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        address_.sin_family = AF_INET;
        address_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address_), sizeof address_);
        listen(listener_, 64);
        socklen_t length = sizeof address_;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address_), &length);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ReplyServer() {
        const std::uint64_t one = 1;
        (void)!write(stop_, &one, sizeof one);
        thread_.join();
        close(listener_);
        close(stop_);
    }
    const sockaddr_in& Address() const { return address_; }
    std::string Url() const {
        return "http://127.0.0.1:" + std::to_string(ntohs(address_.sin_port)) + "/checkwr.asp";
    }

private:
    void Serve() {
        const std::string reply = kReply;
        for (;;) {
            pollfd entries[2] = {{listener_, POLLIN, 0}, {stop_, POLLIN, 0}};
            if (poll(entries, 2, -1) <= 0 || (entries[1].revents & POLLIN) != 0)
                return;
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            std::string request;
            char buffer[2048];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(got));
            }
            (void)!send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
            close(fd);
        }
    }

    int stop_;
    int listener_ = -1;
    sockaddr_in address_{};
    std::thread thread_;
};

void BM_HttpGet(benchmark::State& state) {
    ReplyServer server;
    posix::PosixNetwork network;
    NoCookies cookies;
    HttpAccess http(network, cookies);
    const std::string url = server.Url();
    for (auto _ : state) {
        const std::string body = http.HttpGet(url);
        if (body.size() != 34)
            throw std::runtime_error("short reply");
        benchmark::DoNotOptimize(body.data());
    }
}
BENCHMARK(BM_HttpGet)->Unit(benchmark::kMicrosecond);

void BM_BarePosix(benchmark::State& state) {
    ReplyServer server;
    const std::string request = kRequest;
    for (auto _ : state) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&server.Address()),
                    sizeof(sockaddr_in)) != 0)
            throw std::runtime_error("connect");
        (void)!write(fd, request.data(), request.size());
        std::string reply;
        char buffer[16384];
        for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
            reply.append(buffer, static_cast<std::size_t>(got));
        close(fd);
        if (reply.size() < 34)
            throw std::runtime_error("short reply");
        benchmark::DoNotOptimize(reply.data());
    }
}
BENCHMARK(BM_BarePosix)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
