// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A TCP relay on 127.0.0.1 in front of a TLS server that closes the connection in place of the
// server's closing alert (close_notify): any TLS server becomes one that closes bare,
// as a careless server, a crash or an attacker on the path does. Connections are relayed one
// after another.
#include "support/LoopbackServer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace lexfall::testing {

class GoodbyeStripper {
public:
    explicit GoodbyeStripper(std::uint16_t serverPort)
        : serverPort_(serverPort), stop_(eventfd(0, EFD_CLOEXEC)) {
        listener_ = ListenOnLoopback(8, port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~GoodbyeStripper() {
        const std::uint64_t one = 1;
        (void)!write(stop_, &one, sizeof one);
        thread_.join();
        close(listener_);
        close(stop_);
    }
    GoodbyeStripper(const GoodbyeStripper&) = delete;
    GoodbyeStripper& operator=(const GoodbyeStripper&) = delete;

    std::uint16_t Port() const { return port_; }
    // Closing alerts dropped so far.
    int Dropped() const { return dropped_.load(); }

private:
    // An alert record: type 21 in the clear (TLS 1.2), or in TLS 1.3 an encrypted record of
    // 19 bytes, which is exactly a two-byte alert with its type and a 16-byte tag.
    static bool LooksLikeAlert(const std::string& record) {
        const auto type = static_cast<unsigned char>(record[0]);
        return type == 21 || (type == 23 && record.size() == 5 + 19);
    }

    void Serve() {
        for (;;) {
            pollfd entries[2] = {{stop_, POLLIN, 0}, {listener_, POLLIN, 0}};
            if (poll(entries, 2, -1) <= 0 || (entries[0].revents & POLLIN) != 0)
                return;
            const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                return;
            const int server = ConnectLoopback(serverPort_);
            if (server >= 0)
                Relay(client, server);
            close(client);
            if (server >= 0)
                close(server);
        }
    }

    static bool SendAll(int fd, const std::string& bytes) {
        return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }

    // Client bytes pass as they come; the server's pass record by record until its closing
    // alert, which is dropped, and the client sees a bare close in its place.
    void Relay(int client, int server) {
        std::string fromServer; // bytes of an incomplete record
        bool clientOpen = true;
        for (;;) {
            pollfd entries[3] = {
                {stop_, POLLIN, 0}, {server, POLLIN, 0}, {clientOpen ? client : -1, POLLIN, 0}};
            if (poll(entries, 3, 30000) <= 0 || (entries[0].revents & POLLIN) != 0)
                return;
            char buffer[16384];
            if (entries[2].revents != 0) {
                const ssize_t got = recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    clientOpen = false;
                    shutdown(server, SHUT_WR);
                } else if (!SendAll(server, std::string(buffer, static_cast<std::size_t>(got)))) {
                    return;
                }
            }
            if (entries[1].revents == 0)
                continue;
            const ssize_t got = recv(server, buffer, sizeof buffer, 0);
            if (got <= 0)
                return;
            fromServer.append(buffer, static_cast<std::size_t>(got));
            while (fromServer.size() >= 5) {
                const std::size_t length = 5 + (static_cast<unsigned char>(fromServer[3]) << 8 |
                                                static_cast<unsigned char>(fromServer[4]));
                if (fromServer.size() < length)
                    break;
                const std::string record = fromServer.substr(0, length);
                fromServer.erase(0, length);
                if (LooksLikeAlert(record)) {
                    ++dropped_;
                    return;
                }
                if (!SendAll(client, record))
                    return;
            }
        }
    }

    std::uint16_t serverPort_;
    int stop_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<int> dropped_{0};
    std::thread thread_;
};

} // namespace lexfall::testing
