// SPDX-License-Identifier: GPL-3.0-or-later
// Every reply the server builds, read by the game's own reply handling: what the player is told
// for each code, and that record texts come back as the records they were.
#include "support/ScratchDir.h"

#include "FailingStore.h"
#include "online/RecordText.h"
#include "online/RecordsExchange.h"
#include "records/RecordsProtocol.h"
#include "server/AccessCode.h"
#include "server/RecordService.h"
#include "server/SqliteStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace lexfall::testing {
namespace {

using ::testing::StartsWith;

constexpr const char* kBobRecord = "Bob,10,300,40,3010,2003-03-28";

class ServerRepliesInTheGameTest : public ::testing::Test {
protected:
    ServerRepliesInTheGameTest() {
        for (const char* name : {"Ann", "Bob"}) {
            codes_[name] = server::NewAccessCode();
            store_.AddPlayer(name, std::string(name) + "@example.org",
                             server::HashAccessCode(store_.HashKey(), codes_[name]));
        }
        EXPECT_EQ(service_.PutMyRec(Query("Bob", codes_["Bob"], kBobRecord)), "0");
    }

    // The query the game sends; record empty for Get MyRec.
    static server::Query Query(const std::string& name, const std::string& code,
                               const std::string& record = "") {
        std::string target = "/x?u=" + name + "&e=" + name + "@example.org&c=" + code;
        if (!record.empty())
            target += "&r=" + record;
        return server::Query(target);
    }

    ScratchDir folder_;
    server::SqliteStore store_{(folder_.Path() / "records.sqlite").string(), 1};
    server::RecordService service_{store_, [](const std::string& error) { FAIL() << error; }};
    std::map<std::string, std::string> codes_;
};

TEST_F(ServerRepliesInTheGameTest, EveryCodeTheServerSendsMeansToTheGameWhatTheServerMeant) {
    FailingStore failing;
    std::vector<std::string> errors;
    server::RecordService broken(failing, [&](const std::string& e) { errors.push_back(e); });
    const std::string& annCode = codes_["Ann"];
    const std::string contact = " Username not exists, please contact with ";
    const std::string putFailed = " Failed, unknown error, please contact with ";

    struct GetCase {
        const char* what;
        std::string reply;
        std::string code;
        std::optional<std::string> message; // the start of what the player is told
    };
    const GetCase gets[] = {
        {"unknown user", service_.GetMyRec(Query("Nobody", annCode)), "1", contact},
        {"wrong code", service_.GetMyRec(Query("Ann", "wrong")), "3",
         " Access code refused, please check your RegCode. "},
        {"no record", service_.GetMyRec(Query("Ann", annCode)), "5",
         " No Record, please click \"Put MyRec\" to save Your Record to internet. "},
        {"database down", broken.GetMyRec(Query("Ann", annCode)), "7", " Failed, unknown error. "},
    };
    struct PutCase {
        const char* what;
        std::string reply;
        std::string code;
        std::string message;
    };
    const PutCase puts[] = {
        {"stored", service_.PutMyRec(Query("Ann", annCode, "Ann,2,30,10,194,2003-03-28")), "0",
         " Put Record success. "},
        {"unknown user", service_.PutMyRec(Query("Nobody", annCode, kBobRecord)), "1", contact},
        {"wrong code", service_.PutMyRec(Query("Ann", "wrong", kBobRecord)), "3",
         " Access code refused, please check your RegCode. "},
        {"total does not fit",
         service_.PutMyRec(Query("Ann", annCode, "Ann,2,30,10,195,2003-03-28")), "4",
         " Invalid Record. "},
        {"not better", service_.PutMyRec(Query("Bob", codes_["Bob"], kBobRecord)), "6",
         " Record exists. "},
        {"database down", broken.PutMyRec(Query("Ann", annCode, kBobRecord)), "7", putFailed},
    };

    std::set<std::string> codesSent;
    for (const GetCase& get : gets) {
        SCOPED_TRACE(get.what);
        EXPECT_EQ(get.reply, get.code);
        codesSent.insert(get.reply);
        const auto outcome = exchange::GetMyRecReply(get.reply);
        EXPECT_FALSE(outcome.isRecord);
        ASSERT_TRUE(outcome.message);
        EXPECT_THAT(*outcome.message, StartsWith(*get.message));
    }
    for (const PutCase& put : puts) {
        SCOPED_TRACE(put.what);
        EXPECT_EQ(put.reply, put.code);
        codesSent.insert(put.reply);
        EXPECT_THAT(exchange::PutMyRecMessage(put.reply), StartsWith(put.message));
    }
    // A code the protocol gains fails here until a row above shows what the game makes of it.
    std::set<std::string> allCodes;
    for (const protocol::ReplyCode code : protocol::kReplyCodes)
        allCodes.insert(protocol::ReplyText(code));
    EXPECT_EQ(codesSent, allCodes);
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(ServerRepliesInTheGameTest, RecordRepliesReadBackAsTheRecordsSent) {
    const ShortDateFormat dates{"%m/%d/%y", 2026};
    for (const std::string& reply :
         {service_.CheckWR(), service_.GetMyRec(Query("Bob", codes_["Bob"]))}) {
        EXPECT_EQ(reply, kBobRecord);
        EXPECT_FALSE(exchange::CheckWrFailure(reply));
        EXPECT_TRUE(exchange::GetMyRecReply(reply).isRecord);
        TScoreRec rec{};
        SplitToRec(reply, rec, dates);
        EXPECT_EQ(RecordName(rec), "Bob");
        EXPECT_EQ((std::array{rec.CompletedWords, rec.UsedTime, rec.UsedLetters, rec.Total}),
                  (std::array{10, 300, 40, 3010}));
        EXPECT_EQ(RecordText(rec), kBobRecord);
    }
}

TEST(ServerRepliesInTheGameFaultTest, AnEmptyWorldRecordReplyIsTheGamesFailure) {
    FailingStore failing;
    server::RecordService broken(failing, [](const std::string&) {});
    ScratchDir folder;
    server::SqliteStore empty((folder.Path() / "records.sqlite").string(), 1);
    server::RecordService none(empty, [](const std::string& error) { FAIL() << error; });
    for (const std::string& reply : {broken.CheckWR(), none.CheckWR()}) {
        EXPECT_EQ(reply, "");
        EXPECT_THAT(exchange::CheckWrFailure(reply).value_or(""),
                    StartsWith(" Failed, please try again later or visit "));
    }
}

} // namespace
} // namespace lexfall::testing
