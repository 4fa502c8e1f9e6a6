// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedNetwork.h"

#include <stdexcept>

namespace lexfall::testing {

Step Step::Bytes(std::string bytes, std::chrono::milliseconds after) {
    Step step;
    step.kind = Kind::Bytes;
    step.bytes = std::move(bytes);
    step.after = after;
    return step;
}

Step Step::Close() {
    return Step{};
}

Step Step::Timeout() {
    Step step;
    step.kind = Kind::Timeout;
    return step;
}

Step Step::SocketFailure(int number, std::string text) {
    Step step;
    step.kind = Kind::SocketFailure;
    step.errorNumber = number;
    step.errorText = std::move(text);
    return step;
}

class ScriptedConnection final : public Connection {
public:
    ScriptedConnection(ScriptedNetwork& network, RequestEnd end) : network_(network), end_(end) {}
    ~ScriptedConnection() override { network_.closed = true; }

    void Send(std::string_view bytes) override { network_.sent.append(bytes); }

    std::optional<std::string> Receive(std::chrono::milliseconds idleLimit) override {
        network_.waits.push_back(idleLimit);
        if (end_.Cancelled())
            throw RequestCancelled();
        auto& steps = network_.steps_;
        if (steps.empty())
            return std::string(); // the script is over: the peer has closed
        Step& step = steps.front();
        const auto limit = end_.Left(idleLimit);
        if (step.kind == Step::Kind::Timeout) {
            steps.pop_front();
            return std::nullopt;
        }
        if (step.after > limit) {
            step.after -= limit; // the peer is still silent when the wait ends
            return std::nullopt;
        }
        const Step taken = std::move(step);
        steps.pop_front();
        if (taken.kind == Step::Kind::SocketFailure)
            throw SocketError(taken.errorNumber, taken.errorText);
        return taken.kind == Step::Kind::Bytes ? taken.bytes : std::string();
    }

private:
    ScriptedNetwork& network_;
    RequestEnd end_;
};

ScriptedNetwork::ScriptedNetwork(std::vector<Step> steps, std::optional<Step> connectFails)
    : steps_(steps.begin(), steps.end()), connectFails_(std::move(connectFails)) {}

std::unique_ptr<Connection> ScriptedNetwork::Connect(const std::string& host, std::uint16_t port,
                                                     std::chrono::milliseconds connectLimit,
                                                     const RequestEnd& end) {
    connects.push_back({host, port, connectLimit});
    if (connectFails_) {
        if (connectFails_->kind == Step::Kind::SocketFailure)
            throw SocketError(connectFails_->errorNumber, connectFails_->errorText);
        throw Error(ConnectTimedOutText);
    }
    if (connects.size() > 1)
        throw std::logic_error("the script has one connection");
    return std::make_unique<ScriptedConnection>(*this, end);
}

std::unique_ptr<Connection> ScriptedNetwork::StartTls(std::unique_ptr<Connection> plain,
                                                      const std::string&,
                                                      std::chrono::milliseconds) {
    return plain; // the script plays the decrypted bytes
}

} // namespace lexfall::testing
