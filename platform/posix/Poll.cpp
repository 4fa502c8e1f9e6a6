// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/Poll.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace lexfall::posix {
namespace {

// How soon a Cancel from another thread is seen by a waiting poll.
constexpr std::chrono::milliseconds kCancelSlice{50};

} // namespace

int PollFor(int fd, short events, std::chrono::milliseconds limit,
            const std::atomic<bool>* cancelled) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (cancelled != nullptr && cancelled->load())
            return 0;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const bool sliced = cancelled != nullptr && left > kCancelSlice;
        if (sliced)
            left = kCancelSlice;
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (ready == 0 && sliced)
            continue;
        if (ready >= 0 || errno != EINTR)
            return ready;
    }
}

} // namespace lexfall::posix
