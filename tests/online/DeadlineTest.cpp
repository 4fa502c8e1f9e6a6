// SPDX-License-Identifier: GPL-3.0-or-later
// One deadline for the whole exchange, and Cancel from another thread.
#include "online/HttpAccess.h"

#include "online/HttpFailures.h"
#include "platform/posix/PosixNetwork.h"
#include "support/LoopbackServer.h"
#include "support/TricklingServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>

namespace lexfall {
namespace {

using namespace std::chrono_literals;

// A resolver that answers nobody until the test lets it go.
struct SilentResolver {
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
        int asked = 0;
    };
    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    posix::PosixNetwork::Resolver Resolver() const {
        return [gate = gate](const std::string&) -> in_addr {
            std::unique_lock lock(gate->mutex);
            ++gate->asked;
            gate->opened.wait(lock, [&] { return gate->open; });
            throw SocketError(11001, "Host not found.");
        };
    }
    ~SilentResolver() {
        const std::lock_guard lock(gate->mutex);
        gate->open = true;
        gate->opened.notify_all();
    }
};

std::string Failure(HttpAccess& http, const std::string& url,
                    const std::atomic<bool>* cancelled = nullptr) {
    try {
        return "no error: " + http.HttpGet(url, cancelled);
    } catch (const Error& error) {
        return error.what();
    }
}

// A body trickling in under the idle limit, a 404 whose body trickles while it is drained and a
// resolver that never answers all end at the deadline of the whole exchange.
TEST(DeadlineTest, NothingHoldsAnExchangePastItsDeadline) {
    const HttpLimits limits{500ms, 60s, 60s, 400ms};
    NoCookies cookies;
    {
        SCOPED_TRACE("trickling body");
        testing::TricklingServer server("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n", 20ms);
        posix::PosixNetwork network;
        HttpAccess http(network, cookies, limits);
        EXPECT_EQ(Failure(http, server.Url()), http::ReadTimedOut);
    }
    {
        SCOPED_TRACE("trickling error body");
        testing::TricklingServer server("HTTP/1.1 404 Not Found\r\n\r\n", 20ms);
        posix::PosixNetwork network;
        HttpAccess http(network, cookies, limits);
        EXPECT_EQ(Failure(http, server.Url()), "HTTP/1.1 404 Not Found");
    }
    {
        SCOPED_TRACE("silent resolver");
        SilentResolver resolver;
        posix::PosixNetwork network(resolver.Resolver());
        HttpAccess http(network, cookies, limits);
        EXPECT_EQ(Failure(http, "http://records.silent.example/checkwr.asp"), ConnectTimedOutText);
        const std::lock_guard lock(resolver.gate->mutex);
        EXPECT_EQ(resolver.gate->asked, 1);
    }
}

// Cancel from the window's thread ends a request wherever it waits: in the name lookup or on a
// server that holds its reply.
TEST(DeadlineTest, CancelEndsTheRequestWhereverItWaits) {
    NoCookies cookies;
    std::atomic<bool> cancelled{false};
    const auto cancelWhen = [&](const std::function<bool()>& ready) {
        return std::async(std::launch::async, [&cancelled, ready] {
            while (!ready())
                std::this_thread::sleep_for(10ms);
            cancelled = true;
        });
    };
    {
        SCOPED_TRACE("server holding its reply");
        testing::LoopbackServer server({{"", 0ms, testing::Exchange::End::Hold}});
        posix::PosixNetwork network;
        HttpAccess http(network, cookies);
        auto cancel = cancelWhen([&] { return !server.Requests().empty(); });
        EXPECT_EQ(Failure(http, server.Url("/checkwr.asp"), &cancelled), CancelledText);
    }
    cancelled = false;
    {
        SCOPED_TRACE("silent resolver");
        SilentResolver resolver;
        posix::PosixNetwork network(resolver.Resolver());
        HttpAccess http(network, cookies);
        auto cancel = cancelWhen([&] {
            const std::lock_guard lock(resolver.gate->mutex);
            return resolver.gate->asked > 0;
        });
        EXPECT_EQ(Failure(http, "http://records.silent.example/", &cancelled), CancelledText);
    }
}

} // namespace
} // namespace lexfall
