#pragma once
#include <chrono>

namespace lexfall::posix {

// poll on one descriptor for at most limit, restarted after a signal with the time that is
// left. Returns as poll does: above 0 when ready, 0 when the time ran out, -1 with errno set.
int PollFor(int fd, short events, std::chrono::milliseconds limit);

} // namespace lexfall::posix
