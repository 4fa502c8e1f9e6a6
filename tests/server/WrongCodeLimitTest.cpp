// SPDX-License-Identifier: GPL-3.0-or-later
// Guessing access codes is slowed: ten wrong codes from an address within a minute block that
// address for the next minute, told once in the log; no player is ever locked out.
#include "support/ScratchDir.h"

#include "server/AccessCode.h"
#include "server/RecordService.h"
#include "server/SqliteStore.h"

#include <gtest/gtest.h>

#include <algorithm>
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

    // Notices that an address was blocked.
    std::size_t Blocks() const {
        return static_cast<std::size_t>(
            std::count_if(notices_.begin(), notices_.end(), [](const std::string& notice) {
                return notice.find("refusing further attempts") != std::string::npos;
            }));
    }

    ScratchDir folder_;
    server::SqliteStore store_;
    std::chrono::steady_clock::time_point now_{};
    std::vector<std::string> notices_;
    server::RecordService service_;
    std::map<std::string, std::string> codes_;
};

// Nobody can lock a player out: wrong codes for Ann from ever new addresses, faster than any
// limit, never stop Ann's right code from her own address.
TEST_F(WrongCodeLimitTest, WrongCodesForAPlayerNeverLockThePlayerOut) {
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(Get("Ann", "WRONG", "10.0." + std::to_string(i / 9) + "." + std::to_string(i)),
                  "3");
        if (i % 20 == 0) {
            EXPECT_EQ(Right("Ann", "192.0.2.1"), "5");
        }
    }
    EXPECT_EQ(Right("Ann", "192.0.2.1"), "5");
    EXPECT_EQ(Blocks(), 0u);
    // Every wrong code is in the log, naming the player and the address.
    EXPECT_EQ(notices_.front(), "wrong access code for Ann from 10.0.0.0");
}

TEST_F(WrongCodeLimitTest, TenWrongCodesFromOneAddressBlockThatAddress) {
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Get(i % 2 ? "Ann" : "Bob", "WRONG", "192.0.2.7"), "3");
    ASSERT_EQ(Blocks(), 1u);
    EXPECT_NE(std::find(notices_.begin(), notices_.end(),
                        "10 wrong access codes from 192.0.2.7 within a minute; refusing further "
                        "attempts from there for a minute"),
              notices_.end());
    EXPECT_EQ(Right("Ann", "192.0.2.7"), "3");
    EXPECT_EQ(service_.PutMyRec(Query("/putmyrec.asp?u=Bob&e=Bob@example.org&c=" + codes_["Bob"] +
                                      "&r=Bob,2,30,10,194,2003-03-28"),
                                "192.0.2.7"),
              "3");
    EXPECT_EQ(Right("Ann", "192.0.2.8"), "5"); // the players themselves are not blocked
    EXPECT_EQ(Blocks(), 1u) << "told once";
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
    EXPECT_EQ(Blocks(), 0u);
}

} // namespace
} // namespace lexfall::testing
