// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Slows down the guessing of access codes: after too many wrong codes from one address within a
// window, that address is refused unchecked for a while. Players themselves are never blocked:
// a code of 120 random bits cannot be guessed at any rate a server allows, and a block per
// player would let anyone lock another player out.
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
    // Told once each time an address gets blocked, with the address escaped for the log.
    using Notice = std::function<void(const std::string&)>;

    static constexpr std::size_t kMaxWrong = 10;
    static constexpr std::chrono::seconds kWindow{60};

    explicit WrongCodeLimit(Clock clock = std::chrono::steady_clock::now, Notice notice = {});

    // True while the address is blocked. An empty address is never blocked.
    bool Blocked(std::string_view peer);
    // Counts one wrong code from the address.
    void Wrong(std::string_view peer);

private:
    struct Tally {
        std::deque<std::chrono::steady_clock::time_point> Wrong; // within the window
        std::chrono::steady_clock::time_point BlockedUntil{};
    };
    void Forget(std::chrono::steady_clock::time_point now);

    Clock clock_;
    Notice notice_;
    std::mutex mutex_;
    std::map<std::string, Tally, std::less<>> tallies_;
};

} // namespace lexfall::server
