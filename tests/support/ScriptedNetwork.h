// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The network seam played from a script: a test lists what the peer does, in order, and reads
// back what was sent, with no socket and no waiting.
#include "platform/Network.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace lexfall::testing {

struct Step {
    enum class Kind { Bytes, Close, Timeout, SocketFailure };
    Kind kind = Kind::Close;
    std::string bytes;
    // How long the peer is silent before the bytes come: a wait shorter than this times out.
    std::chrono::milliseconds after{0};
    int errorNumber = 0;
    std::string errorText;

    static Step Bytes(std::string bytes, std::chrono::milliseconds after = {});
    static Step Close();
    static Step Timeout();
    static Step SocketFailure(int number, std::string text);
};

class ScriptedNetwork final : public Network {
public:
    // One connection that plays steps. connectFails, when given, is what Connect meets instead
    // (a Timeout or a SocketFailure); the connection then never opens.
    explicit ScriptedNetwork(std::vector<Step> steps, std::optional<Step> connectFails = {});

    std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                        std::chrono::milliseconds connectLimit,
                                        const RequestEnd& end = {}) override;
    std::unique_ptr<Connection> StartTls(std::unique_ptr<Connection> plain, const std::string& host,
                                         std::chrono::milliseconds idleLimit) override;

    struct ConnectCall {
        std::string host;
        std::uint16_t port = 0;
        std::chrono::milliseconds limit{0};
    };
    std::vector<ConnectCall> connects;
    std::string sent;                             // every byte sent, in order
    std::vector<std::chrono::milliseconds> waits; // the limit of every Receive
    bool closed = false;                          // the connection was let go

private:
    friend class ScriptedConnection;
    std::deque<Step> steps_;
    std::optional<Step> connectFails_;
};

} // namespace lexfall::testing
