// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Notices a server that seems to sit behind a proxy it was not told about: when every request
// of a whole minute came from one address, every client shares that address's limits. Said
// once, naming the option that fixes it.
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace lexfall::server {

class ProxyHint {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Fewer requests than this in a minute tell nothing: one player alone uses one address.
    static constexpr std::size_t kAtLeast = 20;
    static constexpr std::chrono::seconds kWindow{60};

    explicit ProxyHint(Clock clock = std::chrono::steady_clock::now) : clock_(std::move(clock)) {}

    // Counts a request from peer; returns the notice, once in the server's life, when the
    // minute that just ended came from peer alone.
    std::optional<std::string> Request(const std::string& peer);

private:
    Clock clock_;
    std::mutex mutex_;
    bool told_ = false;
    std::optional<std::chrono::steady_clock::time_point> started_;
    std::string address_;
    bool single_ = true;
    std::size_t count_ = 0;
};

} // namespace lexfall::server
