// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ProxyHint.h"

#include "server/LogWriter.h"

namespace lexfall::server {

std::optional<std::string> ProxyHint::Request(const std::string& peer) {
    const auto now = clock_();
    std::lock_guard lock(mutex_);
    if (told_)
        return std::nullopt;
    if (started_ && now - *started_ >= kWindow) {
        if (single_ && count_ >= kAtLeast && now - *started_ < 2 * kWindow) {
            told_ = true;
            return "every request of the last minute came from " + EscapeForLog(address_) +
                   "; the server seems to sit behind a proxy, which then shares one address's "
                   "limits among all clients: name it with --trust-proxy";
        }
        started_.reset();
    }
    if (!started_) {
        started_ = now;
        address_ = peer;
        single_ = true;
        count_ = 0;
    }
    single_ = single_ && peer == address_;
    ++count_;
    return std::nullopt;
}

} // namespace lexfall::server
