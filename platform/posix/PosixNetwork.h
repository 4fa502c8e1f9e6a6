#pragma once
#include "platform/Network.h"

namespace lexfall::posix {

// TCP over POSIX sockets, IPv4: the system resolver, a non-blocking connect with a limit, and
// reads that wait with poll.
class PosixNetwork final : public Network {
public:
    std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                        std::chrono::milliseconds connectLimit) override;
};

} // namespace lexfall::posix
