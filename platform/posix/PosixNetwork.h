// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Network.h"

#include <netinet/in.h>

#include <functional>

namespace lexfall::posix {

// TCP over POSIX sockets, IPv4: the system resolver, a non-blocking connect with a limit, reads
// that wait with poll, and TLS through the start function it is given.
class PosixNetwork final : public Network {
public:
    // Turns a host name into an address or throws SocketError; it may take as long as it
    // likes, since it runs on a thread of its own.
    using Resolver = std::function<in_addr(const std::string& host)>;
    // Starts TLS as StartTls does. The game's is TlsFromModule, so the TLS library loads only
    // with the first https connection; StartLinkedTls serves programs that link the library.
    using TlsStart = std::function<std::unique_ptr<Connection>(
        std::unique_ptr<Connection> plain, const std::string& host,
        std::chrono::milliseconds idleLimit)>;

    // Without tls, StartTls fails as a handshake that cannot begin.
    explicit PosixNetwork(TlsStart tls = {});
    explicit PosixNetwork(Resolver resolver) : resolver_(std::move(resolver)) {}
    PosixNetwork(TlsStart tls, Resolver resolver)
        : resolver_(std::move(resolver)), tls_(std::move(tls)) {}

    std::unique_ptr<Connection> Connect(const std::string& host, std::uint16_t port,
                                        std::chrono::milliseconds connectLimit,
                                        const RequestEnd& end = {}) override;
    std::unique_ptr<Connection> StartTls(std::unique_ptr<Connection> plain, const std::string& host,
                                         std::chrono::milliseconds idleLimit) override;

private:
    Resolver resolver_;
    TlsStart tls_;
};

// The system's resolver, getaddrinfo.
in_addr SystemResolve(const std::string& host);

} // namespace lexfall::posix
