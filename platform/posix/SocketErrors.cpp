// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/SocketErrors.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <netdb.h>

namespace lexfall::posix {
namespace {

struct Entry {
    int code; // errno, or a getaddrinfo result
    int number;
    const char* description;
};

constexpr std::array kErrnoTable = {
    Entry{EINTR, 10004, "Interrupted system call."},
    Entry{EBADF, 10009, "Bad file number."},
    Entry{EACCES, 10013, "Access denied."},
    Entry{EFAULT, 10014, "Buffer fault."},
    Entry{EINVAL, 10022, "Invalid argument."},
    Entry{EMFILE, 10024, "Too many open files."},
    Entry{ENFILE, 10024, "Too many open files."},
    Entry{EWOULDBLOCK, 10035, "Operation would block."},
    Entry{EINPROGRESS, 10036, "Operation now in progress."},
    Entry{EALREADY, 10037, "Operation already in progress."},
    Entry{ENOTSOCK, 10038, "Socket operation on non-socket."},
    Entry{EMSGSIZE, 10040, "Message too long."},
    Entry{EPROTONOSUPPORT, 10043, "Protocol not supported."},
    Entry{EAFNOSUPPORT, 10047, "Address family not supported by protocol family."},
    Entry{EADDRINUSE, 10048, "Address already in use."},
    Entry{EADDRNOTAVAIL, 10049, "Cannot assign requested address."},
    Entry{ENETDOWN, 10050, "Network is down."},
    Entry{ENETUNREACH, 10051, "Network is unreachable."},
    Entry{ENETRESET, 10052, "Net dropped connection or reset."},
    Entry{ECONNABORTED, 10053, "Software caused connection abort."},
    Entry{ECONNRESET, 10054, "Connection reset by peer."},
    // Writing to a connection the peer has dropped: Windows reports the reset.
    Entry{EPIPE, 10054, "Connection reset by peer."},
    Entry{ENOBUFS, 10055, "No buffer space available."},
    Entry{ENOMEM, 10055, "No buffer space available."},
    Entry{EISCONN, 10056, "Socket is already connected."},
    Entry{ENOTCONN, 10057, "Socket is not connected."},
    Entry{ESHUTDOWN, 10058, "Cannot send or receive after socket is closed."},
    Entry{ETIMEDOUT, 10060, "Connection timed out."},
    Entry{ECONNREFUSED, 10061, "Connection refused."},
    Entry{EHOSTDOWN, 10064, "Host is down."},
    Entry{EHOSTUNREACH, 10065, "No route to host."},
};

constexpr std::array kResolverTable = {
    Entry{EAI_NONAME, 11001, "Host not found."},
    Entry{EAI_AGAIN, 11002, "Non-authoritative response (try again or check DNS setup)."},
    Entry{EAI_FAIL, 11003, "Non-recoverable errors: FORMERR, REFUSED, NOTIMP."},
#ifdef EAI_NODATA
    Entry{EAI_NODATA, 11004, "Valid name, no data record (check DNS setup)."},
#endif
#ifdef EAI_ADDRFAMILY
    Entry{EAI_ADDRFAMILY, 11004, "Valid name, no data record (check DNS setup)."},
#endif
    Entry{EAI_FAMILY, 10047, "Address family not supported by protocol family."},
    Entry{EAI_MEMORY, 10055, "No buffer space available."},
};

} // namespace

SocketFailure FailureFromErrno(int error) {
    for (const Entry& entry : kErrnoTable) {
        if (entry.code == error)
            return {entry.number, entry.description};
    }
    return {error, std::string(std::strerror(error)) + "."};
}

SocketFailure FailureFromResolver(int result, int error) {
    if (result == EAI_SYSTEM)
        return FailureFromErrno(error);
    for (const Entry& entry : kResolverTable) {
        if (entry.code == result)
            return {entry.number, entry.description};
    }
    // Anything else the resolver reports still means the name did not resolve.
    return {11001, "Host not found."};
}

} // namespace lexfall::posix
