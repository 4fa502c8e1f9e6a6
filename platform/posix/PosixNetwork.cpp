// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/PosixNetwork.h"

#include "platform/posix/Poll.h"
#include "platform/posix/SocketErrors.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace lexfall::posix {
namespace {

[[noreturn]] void ThrowErrno(int error) {
    const SocketFailure failure = FailureFromErrno(error);
    throw SocketError(failure.number, failure.description);
}

// The socket closes on every path, also when connecting fails.
class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0)
            close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// A resolver that never answers must not hold the request past its deadline, and getaddrinfo
// cannot be interrupted: it runs on a thread of its own, which is left to finish alone.
in_addr ResolveInTime(const PosixNetwork::Resolver& resolver, const std::string& host,
                      const RequestEnd& end) {
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) == 1)
        return address;
    struct Outcome {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        in_addr address{};
        std::exception_ptr failure;
    };
    const auto outcome = std::make_shared<Outcome>();
    std::thread([outcome, resolver, host] {
        in_addr found{};
        std::exception_ptr failure;
        try {
            found = resolver(host);
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard lock(outcome->mutex);
        outcome->address = found;
        outcome->failure = failure;
        outcome->finished = true;
        outcome->done.notify_all();
    }).detach();
    std::unique_lock lock(outcome->mutex);
    while (!outcome->finished) {
        if (end.Cancelled())
            throw RequestCancelled();
        if (end.Expired())
            throw Error(ConnectTimedOutText);
        // Short waits, so a Cancel set without a notification is still seen.
        outcome->done.wait_for(lock, end.Left(std::chrono::milliseconds(50)));
    }
    if (outcome->failure)
        std::rethrow_exception(outcome->failure);
    return outcome->address;
}

class PosixConnection final : public Connection {
public:
    PosixConnection(int fd, const RequestEnd& end) : socket_(fd), end_(end) {}

    void Send(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t sent = send(socket_.Fd(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN) {
                    // The socket stays non-blocking; wait until it takes more.
                    if (PollFor(socket_.Fd(), POLLOUT, end_.Left(std::chrono::hours(1)),
                                end_.cancelled) < 0)
                        ThrowErrno(errno);
                    if (end_.Cancelled())
                        throw RequestCancelled();
                    if (end_.Expired())
                        throw Error(WriteTimedOutText);
                    continue;
                }
                ThrowErrno(errno);
            }
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
    }

    std::optional<std::string> Receive(std::chrono::milliseconds idleLimit) override {
        std::array<char, 16384> buffer;
        for (;;) {
            const int ready = PollFor(socket_.Fd(), POLLIN, end_.Left(idleLimit), end_.cancelled);
            if (ready < 0)
                ThrowErrno(errno);
            if (end_.Cancelled())
                throw RequestCancelled();
            if (ready == 0)
                return std::nullopt;
            const ssize_t got = recv(socket_.Fd(), buffer.data(), buffer.size(), 0);
            if (got >= 0)
                return std::string(buffer.data(), static_cast<std::size_t>(got));
            // A wake-up without data (or a signal) waits again.
            if (errno != EINTR && errno != EAGAIN)
                ThrowErrno(errno);
        }
    }

private:
    Socket socket_;
    RequestEnd end_;
};

} // namespace

in_addr SystemResolve(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int result = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (result != 0) {
        const SocketFailure failure = FailureFromResolver(result, errno);
        throw SocketError(failure.number, failure.description);
    }
    const in_addr address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return address;
}

PosixNetwork::PosixNetwork(TlsStart tls) : resolver_(SystemResolve), tls_(std::move(tls)) {}

std::unique_ptr<Connection> PosixNetwork::StartTls(std::unique_ptr<Connection> plain,
                                                   const std::string& host,
                                                   std::chrono::milliseconds idleLimit) {
    if (!tls_)
        throw Error("The TLS handshake with " + host + " failed: this program has no TLS.");
    return tls_(std::move(plain), host, idleLimit);
}

std::unique_ptr<Connection> PosixNetwork::Connect(const std::string& host, std::uint16_t port,
                                                  std::chrono::milliseconds connectLimit,
                                                  const RequestEnd& end) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr = ResolveInTime(resolver_, host, end);

    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.Fd() < 0)
        ThrowErrno(errno);
    if (connect(socket.Fd(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        if (errno != EINPROGRESS && errno != EINTR)
            ThrowErrno(errno);
        const int ready = PollFor(socket.Fd(), POLLOUT, end.Left(connectLimit), end.cancelled);
        if (ready < 0)
            ThrowErrno(errno);
        if (end.Cancelled())
            throw RequestCancelled();
        if (ready == 0)
            throw Error(ConnectTimedOutText);
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(socket.Fd(), SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            ThrowErrno(errno);
        if (error != 0)
            ThrowErrno(error);
    }
    return std::make_unique<PosixConnection>(socket.Release(), end);
}

} // namespace lexfall::posix
