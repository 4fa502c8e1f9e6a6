#pragma once
#include "platform/Error.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lexfall {

// One TCP connection, closed when the object goes.
class Connection {
public:
    virtual ~Connection() = default;
    // Sends all of bytes; a socket failure throws SocketError.
    virtual void Send(std::string_view bytes) = 0;
    // Waits at most idleLimit for data. Gives the bytes that arrived, the empty text once the
    // peer has closed, or nothing when no data came within the limit. A socket failure (a
    // reset) throws SocketError.
    virtual std::optional<std::string> Receive(std::chrono::milliseconds idleLimit) = 0;
};

// TCP connections and name resolution.
class Network {
public:
    virtual ~Network() = default;
    // Resolves host (a dotted IPv4 address needs no resolving; resolving does not count
    // against the limit) and connects to it. A connection not established within
    // connectLimit throws Error(ConnectTimedOutText); a failure before it (name not found,
    // refused, unreachable) throws SocketError.
    virtual std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                                std::chrono::milliseconds connectLimit) = 0;
};

inline constexpr const char* ConnectTimedOutText = "Connect timed out.";

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
