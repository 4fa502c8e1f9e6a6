// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Slows down the guessing of access codes: after too many wrong codes for one player or from
// one address within a window, that player and that address are refused unchecked for a while.
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace lexfall::server {

class WrongCodeLimit {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // Told once each time a player or an address gets blocked.
    using Notice = std::function<void(const std::string&)>;

    static constexpr std::size_t kMaxWrong = 10;
    static constexpr std::chrono::seconds kWindow{60};

    explicit WrongCodeLimit(Clock clock = std::chrono::steady_clock::now, Notice notice = {});

    // True while the player or the address is blocked. An empty address is never blocked.
    bool Blocked(std::string_view player, std::string_view peer);
    // Counts one wrong code for the player and the address.
    void Wrong(std::string_view player, std::string_view peer);

private:
    struct Tally {
        std::deque<std::chrono::steady_clock::time_point> Wrong; // within the window
        std::chrono::steady_clock::time_point BlockedUntil{};
    };
    bool IsBlocked(const std::string& key, std::chrono::steady_clock::time_point now);
    void Count(const std::string& key, const std::string& what,
               std::chrono::steady_clock::time_point now);
    void Forget(std::chrono::steady_clock::time_point now);

    Clock clock_;
    Notice notice_;
    std::mutex mutex_;
    std::map<std::string, Tally, std::less<>> tallies_;
};

} // namespace lexfall::server
