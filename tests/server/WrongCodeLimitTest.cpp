// SPDX-License-Identifier: GPL-3.0-or-later
// Guessing access codes is slowed: ten wrong codes for a player or from an address within a
// minute block that player or address for the next minute, told once in the log.
#include "support/ScratchDir.h"

#include "server/AccessCode.h"
#include "server/RecordService.h"
#include "server/SqliteStore.h"

#include <gtest/gtest.h>

#include <map>

namespace lexfall::testing {
namespace {

using namespace std::chrono_literals;
using server::Query;

class WrongCodeLimitTest : public ::testing::Test {
protected:
    WrongCodeLimitTest()
        : store_((folder_.Path() / "records.sqlite").string(), 2),
          service_(
              store_, [](const std::string& error) { FAIL() << error; },
              [this](const std::string& notice) { notices_.push_back(notice); },
              [this] { return now_; }) {
        for (const char* name : {"Ann", "Bob"}) {
            codes_[name] = server::NewAccessCode();
            store_.AddPlayer(name, std::string(name) + "@example.org",
                             server::HashAccessCode(store_.HashKey(), codes_[name]));
        }
    }

    std::string Get(const std::string& name, const std::string& code, const std::string& peer) {
        return service_.GetMyRec(
            Query("/getmyrec.asp?u=" + name + "&e=" + name + "@example.org&c=" + code), peer);
    }
    std::string Right(const std::string& name, const std::string& peer) {
        return Get(name, codes_[name], peer);
    }

    ScratchDir folder_;
    server::SqliteStore store_;
    std::chrono::steady_clock::time_point now_{};
    std::vector<std::string> notices_;
    server::RecordService service_;
    std::map<std::string, std::string> codes_;
};

TEST_F(WrongCodeLimitTest, TenWrongCodesForOnePlayerBlockThatPlayerForAMinute) {
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Get("Ann", "WRONG", "10.0.0." + std::to_string(i)), "3");
        now_ += 5s;
    }
    EXPECT_EQ(Right("Ann", "10.0.1.1"), "5"); // nine are allowed
    EXPECT_EQ(Get("Ann", "WRONG", "10.0.0.9"), "3");
    EXPECT_EQ(notices_, std::vector<std::string>{"10 wrong access codes for player Ann within a "
                                                 "minute; refusing further attempts for a minute"});
    // Blocked: the right code from anywhere is refused unchecked; other players go on.
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(Right("Ann", "10.0.2." + std::to_string(i)), "3");
    EXPECT_EQ(Right("Bob", "10.0.0.9"), "5");
    EXPECT_EQ(notices_.size(), 1u) << "told once";
    now_ += 59s;
    EXPECT_EQ(Right("Ann", "10.0.1.1"), "3");
    now_ += 1s;
    EXPECT_EQ(Right("Ann", "10.0.1.1"), "5");
}

TEST_F(WrongCodeLimitTest, TenWrongCodesFromOneAddressBlockThatAddress) {
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Get(i % 2 ? "Ann" : "Bob", "WRONG", "192.0.2.7"), "3");
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_NE(notices_[0].find("from 192.0.2.7"), std::string::npos) << notices_[0];
    EXPECT_EQ(Right("Ann", "192.0.2.7"), "3");
    EXPECT_EQ(service_.PutMyRec(Query("/putmyrec.asp?u=Bob&e=Bob@example.org&c=" + codes_["Bob"] +
                                      "&r=Bob,2,30,10,194,2003-03-28"),
                                "192.0.2.7"),
              "3");
    EXPECT_EQ(Right("Ann", "192.0.2.8"), "5"); // the players themselves are not blocked
    now_ += 60s;
    EXPECT_EQ(Right("Ann", "192.0.2.7"), "5");
}

// Only guesses within one minute count; a missing code is no guess.
TEST_F(WrongCodeLimitTest, SlowGuessesAndIncompleteQueriesAreNotBlocked) {
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(Get("Ann", "WRONG", "198.51.100.1"), "3");
        now_ += 7s; // nine in any minute
    }
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(service_.GetMyRec(Query("/getmyrec.asp?u=Ann&e=Ann@example.org"), "198.51.100.1"),
                  "3");
    EXPECT_EQ(Right("Ann", "198.51.100.1"), "5");
    EXPECT_TRUE(notices_.empty());
}

} // namespace
} // namespace lexfall::testing
