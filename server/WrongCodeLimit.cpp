// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/WrongCodeLimit.h"

namespace lexfall::server {

namespace {

// Keys of both kinds share one map; the prefix keeps a player named like an address apart.
std::string PlayerKey(std::string_view player) {
    return "u " + std::string(player);
}
std::string PeerKey(std::string_view peer) {
    return "a " + std::string(peer);
}

// Past this many tallies, idle ones are dropped, so a flood of addresses cannot grow the map
// without bound.
constexpr std::size_t kSweepAbove = 4096;

} // namespace

WrongCodeLimit::WrongCodeLimit(Clock clock, Notice notice)
    : clock_(std::move(clock)), notice_(std::move(notice)) {}

bool WrongCodeLimit::IsBlocked(const std::string& key, std::chrono::steady_clock::time_point now) {
    const auto found = tallies_.find(key);
    return found != tallies_.end() && now < found->second.BlockedUntil;
}

bool WrongCodeLimit::Blocked(std::string_view player, std::string_view peer) {
    const auto now = clock_();
    std::lock_guard lock(mutex_);
    return IsBlocked(PlayerKey(player), now) || (!peer.empty() && IsBlocked(PeerKey(peer), now));
}

void WrongCodeLimit::Count(const std::string& key, const std::string& what,
                           std::chrono::steady_clock::time_point now) {
    Tally& tally = tallies_[key];
    if (now < tally.BlockedUntil)
        return;
    while (!tally.Wrong.empty() && now - tally.Wrong.front() >= kWindow)
        tally.Wrong.pop_front();
    tally.Wrong.push_back(now);
    if (tally.Wrong.size() < kMaxWrong)
        return;
    tally.Wrong.clear();
    tally.BlockedUntil = now + kWindow;
    if (notice_)
        notice_(std::to_string(kMaxWrong) + " wrong access codes " + what +
                " within a minute; refusing further attempts for a minute");
}

void WrongCodeLimit::Wrong(std::string_view player, std::string_view peer) {
    const auto now = clock_();
    std::lock_guard lock(mutex_);
    Count(PlayerKey(player), "for player " + std::string(player), now);
    if (!peer.empty())
        Count(PeerKey(peer), "from " + std::string(peer), now);
    if (tallies_.size() > kSweepAbove)
        Forget(now);
}

void WrongCodeLimit::Forget(std::chrono::steady_clock::time_point now) {
    for (auto it = tallies_.begin(); it != tallies_.end();) {
        const Tally& tally = it->second;
        const bool idle = now >= tally.BlockedUntil &&
                          (tally.Wrong.empty() || now - tally.Wrong.back() >= kWindow);
        it = idle ? tallies_.erase(it) : std::next(it);
    }
}

} // namespace lexfall::server
