// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The time by which the request a thread serves must be answered: the database waits and
// retries within it, never longer, so a database that stops answering fails the request with
// "7" well inside the game's own minute instead of holding it without limit.
#include <chrono>
#include <optional>

namespace lexfall::server {

// A request's whole time at the database, retries included.
inline constexpr std::chrono::seconds kRequestTime{10};

// Set for the length of a request; without one (the operator's commands) each call gets
// kRequestTime from its start.
void SetRequestDeadline(std::optional<std::chrono::steady_clock::time_point> deadline);
std::chrono::steady_clock::time_point RequestDeadline();

} // namespace lexfall::server
