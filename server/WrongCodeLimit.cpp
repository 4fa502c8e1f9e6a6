// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/WrongCodeLimit.h"

#include "server/LogWriter.h"

namespace lexfall::server {

namespace {

// Past this many tallies, idle ones are dropped, so a flood of addresses cannot grow the map
// without bound.
constexpr std::size_t kSweepAbove = 4096;

} // namespace

WrongCodeLimit::WrongCodeLimit(Clock clock, Notice notice)
    : clock_(std::move(clock)), notice_(std::move(notice)) {}

bool WrongCodeLimit::Blocked(std::string_view peer) {
    if (peer.empty())
        return false;
    const auto now = clock_();
    std::lock_guard lock(mutex_);
    const auto found = tallies_.find(peer);
    return found != tallies_.end() && now < found->second.BlockedUntil;
}

void WrongCodeLimit::Wrong(std::string_view peer) {
    if (peer.empty())
        return;
    const auto now = clock_();
    std::lock_guard lock(mutex_);
    auto found = tallies_.find(peer);
    if (found == tallies_.end())
        found = tallies_.emplace(std::string(peer), Tally{}).first;
    Tally& tally = found->second;
    if (now >= tally.BlockedUntil) {
        while (!tally.Wrong.empty() && now - tally.Wrong.front() >= kWindow)
            tally.Wrong.pop_front();
        tally.Wrong.push_back(now);
        if (tally.Wrong.size() >= kMaxWrong) {
            tally.Wrong.clear();
            tally.BlockedUntil = now + kWindow;
            if (notice_)
                notice_(std::to_string(kMaxWrong) + " wrong access codes from " +
                        EscapeForLog(peer) +
                        " within a minute; refusing further attempts from there for a minute");
        }
    }
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
