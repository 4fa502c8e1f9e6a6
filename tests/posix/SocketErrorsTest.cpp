// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/SocketErrors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <netdb.h>

namespace lexfall::posix {
namespace {

// The system's errors read as the Windows socket errors, number and text.
TEST(SocketErrorsTest, ErrnoAndResolverResultsMapToWindowsNumbersAndTexts) {
    struct Case {
        SocketFailure failure;
        int number;
        const char* description;
    };
    const Case cases[] = {
        {FailureFromResolver(EAI_NONAME, 0), 11001, "Host not found."},
        {FailureFromResolver(EAI_SYSTEM, ECONNREFUSED), 10061, "Connection refused."},
        {FailureFromErrno(ECONNREFUSED), 10061, "Connection refused."},
        {FailureFromErrno(ECONNRESET), 10054, "Connection reset by peer."},
        {FailureFromErrno(EPIPE), 10054, "Connection reset by peer."},
        {FailureFromErrno(ETIMEDOUT), 10060, "Connection timed out."},
        {FailureFromErrno(EHOSTUNREACH), 10065, "No route to host."},
        {FailureFromErrno(ENETUNREACH), 10051, "Network is unreachable."},
        {FailureFromErrno(ECONNABORTED), 10053, "Software caused connection abort."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(c.failure.number, c.number);
        EXPECT_EQ(c.failure.description, c.description);
    }
}

TEST(SocketErrorsTest, AnErrnoTheTableLacksKeepsItsNumberAndTheSystemText) {
    const SocketFailure failure = FailureFromErrno(ENOENT);
    EXPECT_EQ(failure.number, ENOENT);
    EXPECT_EQ(failure.description, "No such file or directory.");
}

} // namespace
} // namespace lexfall::posix
