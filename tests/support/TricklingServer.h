// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A loopback HTTP peer that is never silent long enough for an idle limit: it answers the head
// at once, then one byte of a long body after each pause, until it is stopped.
#include "support/LoopbackServer.h"

#include <atomic>

namespace lexfall::testing {

class TricklingServer {
public:
    explicit TricklingServer(std::string head, std::chrono::milliseconds pause)
        : head_(std::move(head)), pause_(pause) {
        listener_ = ListenOnLoopback(1, port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TricklingServer() {
        stop_ = true;
        thread_.join();
        close(listener_);
    }
    std::uint16_t Port() const { return port_; }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/checkwr.asp"; }

private:
    void Serve() {
        pollfd entry{listener_, POLLIN, 0};
        while (!stop_ && poll(&entry, 1, 50) == 0) {
        }
        if (stop_)
            return;
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        char buffer[4096];
        (void)!recv(fd, buffer, sizeof buffer, 0);
        (void)!send(fd, head_.data(), head_.size(), MSG_NOSIGNAL);
        while (!stop_ && send(fd, "x", 1, MSG_NOSIGNAL) == 1)
            std::this_thread::sleep_for(pause_);
        close(fd);
    }

    std::string head_;
    std::chrono::milliseconds pause_;
    std::atomic<bool> stop_{false};
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

} // namespace lexfall::testing
