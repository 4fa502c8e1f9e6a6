// SPDX-License-Identifier: GPL-3.0-or-later
// The game's three requests against a running server, one table run on both engines: replies,
// identity checks, replacement only by a better total, the world record, malformed queries.
#include "support/TestDatabase.h"

#include "FailingStore.h"
#include "server/RecordService.h"

#include <gtest/gtest.h>

#include <map>

namespace lexfall::testing {
namespace {

class ExchangeTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        LEXFALL_REQUIRE_ENGINE(GetParam());
        db_ = std::make_unique<TestDatabase>(GetParam());
        ann_ = AddRecordsPlayer(db_->Address(), "Ann Lee", "ann@example.org");
        bob_ = AddRecordsPlayer(db_->Address(), "Bob", "bob@example.org");
        server_ = std::make_unique<RecordsServerProcess>(db_->Address());
    }

    // $A and $B stand for the two players' access codes.
    std::string Target(std::string text) const {
        for (const auto& [mark, code] : {std::pair{"$A", ann_.Code}, std::pair{"$B", bob_.Code}}) {
            for (std::size_t at; (at = text.find(mark)) != std::string::npos;)
                text.replace(at, 2, code);
        }
        return text;
    }

    std::unique_ptr<TestDatabase> db_;
    RegisteredPlayer ann_, bob_;
    std::unique_ptr<RecordsServerProcess> server_;
};

TEST_P(ExchangeTest, RequestsAndReplies) {
    const std::string ann = "/getmyrec.asp?u=Ann Lee&e=ann@example.org&c=$A";
    const std::string putAnn = "/putmyrec.asp?u=Ann Lee&e=ann@example.org&c=$A&r=";
    const std::string putBob = "/putmyrec.asp?u=Bob&e=bob@example.org&c=$B&r=";
    const std::string annFirst = "Ann Lee,2,30,10,194,2003-03-28";
    const std::string bobBest = "Bob,10,300,40,3010,28/03/2003";
    const std::string annTie = "Ann Lee,10,300,40,3010,1. 4. 2003";
    const std::string annBest = "Ann Lee,10,200,40,4510,2003-04-02";
    const std::string annMallory = "Ann Lee,12,200,40,9343,2003-04-03";
    const std::string big(4000, 'x');
    struct Step {
        std::string target;
        int status;
        std::string reply;
    };
    const Step steps[] = {
        {"/checkwr.asp", 200, ""}, // no record anywhere yet
        {ann, 200, "5"},
        {"/getmyrec.asp?u=Nobody&e=ann@example.org&c=$A", 200, "1"},
        {"/getmyrec.asp?u=ann lee&e=ann@example.org&c=$A", 200, "1"},
        {"/getmyrec.asp?u=Ann Lee&e=ann@example.org&c=wrong", 200, "3"},
        {"/getmyrec.asp?u=Ann Lee&e=ann@example.org&c=$B", 200, "3"},
        {"/getmyrec.asp?u=Ann Lee&e=bob@example.org&c=$A", 200, "3"},
        {"/getmyrec.asp?u=Ann Lee&e=ANN@Example.org&c=$A", 200, "5"},
        {"/getmyrec.asp", 200, "1"},
        {"/getmyrec.asp?u=Ann Lee", 200, "3"},
        {"/getmyrec.asp?u=Ann Lee&e=ann@example.org", 200, "3"},
        {putAnn + "Ann Lee,2,30,10,195,2003-03-28", 200, "4"}, // total does not fit
        {putAnn + "Ann Lee,2,30,10,194", 200, "4"},
        {putAnn, 200, "4"},
        {"/putmyrec.asp?u=Ann Lee&e=ann@example.org&c=$A", 200, "4"},
        {"/putmyrec.asp?e=ann@example.org&c=$A&r=" + annFirst, 200, "1"},
        {"/putmyrec.asp?u=Ann Lee&e=ann@example.org&c=bad&r=" + annFirst, 200, "3"},
        {putAnn + annFirst, 200, "0"},
        {putAnn + annFirst, 200, "6"}, // the same record again
        {ann, 200, annFirst},
        {"/checkwr.asp", 200, annFirst},
        {putBob + bobBest, 200, "0"},
        {"/checkwr.asp", 200, bobBest},
        {putAnn + "Ann Lee,1,60,5,13,2003-05-01", 200, "6"}, // worse than her own
        {ann, 200, annFirst},
        {putAnn + annTie, 200, "0"},    // better than her own, level with Bob
        {"/checkwr.asp", 200, bobBest}, // the earlier put keeps the tie
        {putAnn + annBest, 200, "0"},
        {"/checkwr.asp", 200, annBest},
        {"/lexfall/checkwr.asp", 200, annBest}, // under a folder of a larger site
        // Attacks on the standings: figures no game makes, another's name, a date no game reads,
        // the game's placeholder.
        {putBob + "Bob,2147483647,0,0,2147483647,2003-03-28", 200, "4"},
        {putBob + "Bob,10,60,10,60010,2003-03-28", 200, "4"}, // ten words from ten letters
        {putAnn + "Ann Lee,12,200,40,9343,31/31/2003", 200, "4"},
        {putAnn + "No Record,0,0,0,0,2003-03-28", 200, "4"},
        {"/checkwr.asp", 200, annBest},
        {putAnn + "Mallory,12,200,40,9343,2003-04-03", 200, "0"},
        {"/checkwr.asp", 200, "Ann Lee,12,200,40,9343,2003-04-03"},
        // Escapes are decoded; "+" is a plus sign, since the game never encodes.
        {"/getmyrec.asp?u=Ann%20Lee&e=ann%40example.org&c=$A", 200, annMallory},
        {"/getmyrec.asp?u=Ann+Lee&e=ann@example.org&c=$A", 200, "1"},
        // Malformed queries are answered with a code.
        {"/getmyrec.asp?u=Ann Lee&u=Ann Lee&e=ann@example.org&c=$A", 200, "1"},
        {"/getmyrec.asp?u=Ann Lee&e=ann@example.org&c=$A&c=$A", 200, "3"},
        {"/getmyrec.asp?u=Ann Lee&e=ann@example.org&c=%zz", 200, "3"},
        {"/getmyrec.asp?u=Ann Lee&e=ann@example.org&c=$A%", 200, "3"},
        {"/getmyrec.asp?u=%E9&e=&c=", 200, "1"},
        {putAnn + "Ann Lee,10,300,40,3010%2", 200, "4"},
        {putAnn + "Ann Lee,99,1,1,%0A,2003", 200, "4"},
        {"/getmyrec.asp?u=" + big + "&e=" + big, 200, "1"},
        {"/getmyrec.asp?u=Ann Lee&e=" + big + "&c=$A", 200, "3"},
        {"/getmyrec.asp?u=" + std::string(10240, 'x'), 414, ""}, // longer than any request
        {"/checkwr.asp?x=" + std::string(10240, '%'), 414, ""},
        {"/other.asp", 404, ""},
        {ann, 200, annMallory}, // still serving
    };
    for (const Step& step : steps) {
        const std::string target = Target(step.target);
        const RawReply reply = server_->Get(target);
        EXPECT_EQ(reply.Status, step.status) << target.substr(0, 120);
        if (step.status == 200) {
            EXPECT_EQ(reply.Body, step.reply) << target.substr(0, 120);
        }
    }
    // The access codes never reach the log, nor does any query.
    const std::string log = server_->Output();
    EXPECT_EQ(log.find(ann_.Code), std::string::npos);
    EXPECT_EQ(log.find("u=Ann"), std::string::npos);
    EXPECT_NE(log.find(" /getmyrec.asp 200 5 "), std::string::npos) << log;
}

// Managing players while the server runs: a new code replaces the old one at once, a removed
// player and that player's record are gone, also from the world record.
TEST_P(ExchangeTest, PlayerCommands) {
    const std::string record = "Bob,10,300,40,3010,2003-03-28";
    ASSERT_EQ(server_->Get(Target("/putmyrec.asp?u=Bob&e=bob@example.org&c=$B&r=" + record)).Body,
              "0");
    const CommandResult listed = RunRecordsCommand({"list-players", "--db", db_->Address()});
    EXPECT_EQ(listed.ExitCode, 0);
    EXPECT_NE(listed.Output.find("Bob\tbob@example.org\t" + record), std::string::npos)
        << listed.Output;
    EXPECT_NE(listed.Output.find("Ann Lee\tann@example.org\tno record"), std::string::npos);
    EXPECT_EQ(RunRecordsCommand({"add-player", "Bob", "x@y", "--db", db_->Address()}).ExitCode, 1);

    const CommandResult reset = RunRecordsCommand({"reset-code", "Bob", "--db", db_->Address()});
    ASSERT_EQ(reset.ExitCode, 0) << reset.Output;
    const std::size_t at = reset.Output.find("RegCode=") + 8;
    const std::string code = reset.Output.substr(at, reset.Output.find('\n', at) - at);
    EXPECT_EQ(server_->Get(Target("/getmyrec.asp?u=Bob&e=bob@example.org&c=$B")).Body, "3");
    EXPECT_EQ(server_->Get("/getmyrec.asp?u=Bob&e=bob@example.org&c=" + code).Body, record);

    EXPECT_EQ(RunRecordsCommand({"remove-player", "Bob", "--db", db_->Address()}).ExitCode, 0);
    EXPECT_EQ(server_->Get("/getmyrec.asp?u=Bob&e=bob@example.org&c=" + code).Body, "1");
    EXPECT_EQ(server_->Get("/checkwr.asp").Body, "");
    EXPECT_EQ(RunRecordsCommand({"remove-player", "Bob", "--db", db_->Address()}).ExitCode, 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, ExchangeTest, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         EngineName);

TEST(ExchangeFaultTest, DatabaseFailureGivesTheFailureReplies) {
    FailingStore store;
    std::vector<std::string> errors;
    server::RecordService service(store, [&](const std::string& e) { errors.push_back(e); });
    const server::Query query("/x?u=Ann&e=a@b&c=x&r=Ann,2,30,10,194,2003-03-28");
    EXPECT_EQ(service.CheckWR(), "");
    EXPECT_EQ(service.GetMyRec(query), "7");
    EXPECT_EQ(service.PutMyRec(query), "7");
    EXPECT_NE(service.StandingsPage().find("cannot be read"), std::string::npos);
    EXPECT_EQ(errors, std::vector<std::string>(4, "connection lost"));
}

} // namespace
} // namespace lexfall::testing
