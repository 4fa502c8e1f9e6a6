// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <chrono>

namespace lexfall::posix {

// poll on one descriptor for at most limit, restarted after a signal with the time that is
// left. Returns as poll does: above 0 when ready, 0 when the time ran out, -1 with errno set.
// With cancelled, the wait is cut into short slices and returns 0 soon after it is set.
int PollFor(int fd, short events, std::chrono::milliseconds limit,
            const std::atomic<bool>* cancelled = nullptr);

} // namespace lexfall::posix
