// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "text/Error.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lexfall {

// What ends a request before its reply is complete, seen by every wait of the request: the
// deadline of the whole exchange, and the player's Cancel, set from the window's thread while
// the request runs on another.
struct RequestEnd {
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::time_point::max();
    const std::atomic<bool>* cancelled = nullptr;

    bool Cancelled() const { return cancelled != nullptr && cancelled->load(); }
    bool Expired() const {
        return deadline != Clock::time_point::max() && Clock::now() >= deadline;
    }
    // limit, or less when the deadline comes sooner; never below zero.
    std::chrono::milliseconds Left(std::chrono::milliseconds limit) const {
        if (deadline == Clock::time_point::max())
            return limit;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        return std::clamp(left, std::chrono::milliseconds(0), limit);
    }
};

inline constexpr const char* CancelledText = "Cancelled.";

// The player ended the request.
class RequestCancelled : public Error {
public:
    RequestCancelled() : Error(CancelledText) {}
};

// One connection, closed when the object goes.
class Connection {
public:
    virtual ~Connection() = default;
    // Sends all of bytes; a socket failure throws SocketError.
    virtual void Send(std::string_view bytes) = 0;
    // Waits at most idleLimit (and never past the request's deadline) for data. Gives the
    // bytes that arrived, the empty text once the peer has closed, or nothing when no data
    // came in time. A socket failure (a reset) throws SocketError, the player's Cancel
    // RequestCancelled.
    virtual std::optional<std::string> Receive(std::chrono::milliseconds idleLimit) = 0;
    // After the empty text: the peer closed without its protocol's own goodbye (TLS's
    // close_notify), so a reply that runs to the close may have been cut short. A plain TCP
    // close has no such goodbye to miss.
    virtual bool ClosedWithoutGoodbye() const { return false; }
};

// TCP connections, name resolution and TLS.
class Network {
public:
    virtual ~Network() = default;
    // Resolves host (a dotted IPv4 address needs no resolving; resolving does not count
    // against connectLimit, only against the request's deadline) and connects to it. A
    // connection not established within connectLimit, or a name not resolved by the deadline,
    // throws Error(ConnectTimedOutText); a failure before it (name not found, refused,
    // unreachable) throws SocketError; Cancel throws RequestCancelled. The connection keeps
    // end for all its waits.
    virtual std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                                std::chrono::milliseconds connectLimit,
                                                const RequestEnd& end = {}) = 0;
    // TLS 1.2 or later over an open connection to host: the certificate is checked against
    // the trusted authorities and must name host. A failed handshake or an untrusted
    // certificate throws an Error that names host and the reason.
    virtual std::unique_ptr<Connection> StartTls(std::unique_ptr<Connection> plain,
                                                 const std::string& host,
                                                 std::chrono::milliseconds idleLimit) = 0;
};

inline constexpr const char* ConnectTimedOutText = "Connect timed out.";
// The request could not be sent before the deadline.
inline constexpr const char* WriteTimedOutText = "Write timed out.";

// A socket failure, shown with the Windows socket error number and its text on every
// platform, so a player's report reads the same wherever it comes from.
class SocketError : public Error {
public:
    SocketError(int number, const std::string& description)
        : Error("Socket Error # " + std::to_string(number) + "\n" + description), number_(number) {}
    int Number() const { return number_; }

private:
    int number_;
};

} // namespace lexfall
