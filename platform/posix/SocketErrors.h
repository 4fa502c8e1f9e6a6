// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace lexfall::posix {

// A socket failure as the player sees it: the Windows socket error number and its text.
struct SocketFailure {
    int number;
    std::string description;
};

// From errno after a failed socket call. An errno the table does not know keeps its own
// number and the system's text.
SocketFailure FailureFromErrno(int error);
// From a failed getaddrinfo; EAI_SYSTEM takes errno instead.
SocketFailure FailureFromResolver(int result, int error);

} // namespace lexfall::posix
