// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/RequestDeadline.h"

namespace lexfall::server {

namespace {
thread_local std::optional<std::chrono::steady_clock::time_point> t_deadline;
} // namespace

void SetRequestDeadline(std::optional<std::chrono::steady_clock::time_point> deadline) {
    t_deadline = deadline;
}

std::chrono::steady_clock::time_point RequestDeadline() {
    return t_deadline ? *t_deadline : std::chrono::steady_clock::now() + kRequestTime;
}

} // namespace lexfall::server
