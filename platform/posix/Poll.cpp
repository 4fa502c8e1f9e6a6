#include "platform/posix/Poll.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace lexfall::posix {

int PollFor(int fd, short events, std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (ready >= 0 || errno != EINTR)
            return ready;
    }
}

} // namespace lexfall::posix
