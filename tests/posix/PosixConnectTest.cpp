// SPDX-License-Identifier: GPL-3.0-or-later
// The real connect's own limit: the one place a kernel that drops attempts is the point.
#include "platform/posix/PosixNetwork.h"

#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace lexfall::posix {
namespace {

using namespace std::chrono_literals;

// A connect that never completes gives up at the limit, not before it and not much after.
TEST(PosixConnectTest, ConnectThatNeverCompletesTimesOutAtTheLimit) {
    testing::FullBacklogListener listener;
    ASSERT_TRUE(listener.Full()) << "the kernel accepted every attempt";
    PosixNetwork network;
    const auto start = std::chrono::steady_clock::now();
    try {
        network.Connect("127.0.0.1", listener.Port(), 500ms);
        ADD_FAILURE() << "connected";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), ConnectTimedOutText);
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 450ms);
    EXPECT_LT(took, 5s);
}

} // namespace
} // namespace lexfall::posix
