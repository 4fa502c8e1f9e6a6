// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A scripted HTTP peer on 127.0.0.1 for the tests: it takes connections one after another,
// keeps the exact bytes of each request, and answers each as its script says.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lexfall::testing {

struct Exchange {
    enum class End { Close, Reset, Hold };
    std::string reply;
    std::chrono::milliseconds delay{0}; // before the reply
    End end = End::Close;               // Hold keeps the connection open until the server goes
    std::size_t filler = 0;             // this many 'x' sent after the reply
};

// A TCP connection to 127.0.0.1:port, or -1.
inline int ConnectLoopback(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends request to 127.0.0.1:port and reads the reply to the peer's close (within 20 s); empty
// when nothing connects.
inline std::string ExchangeOnLoopback(int port, const std::string& request) {
    const int fd = ConnectLoopback(port);
    if (fd < 0)
        return "";
    timeval limit{20, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string response;
    char chunk[4096];
    ssize_t got;
    while ((got = ::recv(fd, chunk, sizeof chunk, 0)) > 0)
        response.append(chunk, static_cast<std::size_t>(got));
    ::close(fd);
    return response;
}

// A listening socket on 127.0.0.1 at a port the system picks; port receives it.
inline int ListenOnLoopback(int backlog, std::uint16_t& port) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, backlog);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return listener;
}

class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<Exchange> script)
        : script_(std::move(script)), stop_(eventfd(0, EFD_CLOEXEC)) {
        listener_ = ListenOnLoopback(8, port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        const std::uint64_t one = 1;
        (void)!write(stop_, &one, sizeof one);
        thread_.join();
        close(listener_);
        close(stop_);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return port_; }
    std::string Url(const std::string& target = "/") const {
        return "http://127.0.0.1:" + std::to_string(port_) + target;
    }
    // The requests received so far, each up to and including its empty line.
    std::vector<std::string> Requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    // Waits for fd to become readable (with fd -1: for the stop); false once the server is
    // stopping.
    bool WaitFor(int fd) const {
        pollfd entries[2] = {{stop_, POLLIN, 0}, {fd, POLLIN, 0}};
        if (poll(entries, fd < 0 ? 1 : 2, -1) <= 0)
            return false;
        return (entries[0].revents & POLLIN) == 0;
    }
    bool Stopping() const {
        pollfd entry{stop_, POLLIN, 0};
        return poll(&entry, 1, 0) > 0;
    }

    void Serve() {
        for (const Exchange& exchange : script_) {
            if (!WaitFor(listener_))
                return;
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                return;
            Answer(fd, exchange);
            if (Stopping())
                return;
        }
    }

    void Answer(int fd, const Exchange& exchange) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && WaitFor(fd)) {
            const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, static_cast<std::size_t>(got));
        }
        {
            const std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        if (exchange.delay.count() > 0) {
            pollfd entry{stop_, POLLIN, 0};
            poll(&entry, 1, static_cast<int>(exchange.delay.count()));
        }
        SendAll(fd, exchange.reply);
        const std::string chunk(65536, 'x');
        for (std::size_t sent = 0; sent < exchange.filler; sent += chunk.size())
            if (!SendAll(fd, std::string_view(chunk).substr(
                                 0, std::min(chunk.size(), exchange.filler - sent))))
                break;
        if (exchange.end == Exchange::End::Reset) {
            linger hard{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        } else if (exchange.end == Exchange::End::Hold) {
            WaitFor(-1);
        }
        close(fd);
    }

    static bool SendAll(int fd, std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
        return true;
    }

    std::vector<Exchange> script_;
    int stop_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens: connecting is refused.
inline std::uint16_t RefusedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// A listener whose backlog is full: the kernel drops further connection attempts, so a connect
// to it never completes.
class FullBacklogListener {
public:
    FullBacklogListener() {
        listener_ = ListenOnLoopback(0, port_);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port_);
        // Fill the queue until an attempt no longer completes.
        for (int i = 0; i < 16; ++i) {
            const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            pollfd entry{fd, POLLOUT, 0};
            if (poll(&entry, 1, 200) <= 0) {
                close(fd);
                full_ = true;
                break;
            }
            fillers_.push_back(fd);
        }
    }
    ~FullBacklogListener() {
        for (int fd : fillers_)
            close(fd);
        close(listener_);
    }
    FullBacklogListener(const FullBacklogListener&) = delete;
    FullBacklogListener& operator=(const FullBacklogListener&) = delete;

    std::uint16_t Port() const { return port_; }
    bool Full() const { return full_; }

private:
    int listener_ = -1;
    std::uint16_t port_ = 0;
    bool full_ = false;
    std::vector<int> fillers_;
};

} // namespace lexfall::testing
