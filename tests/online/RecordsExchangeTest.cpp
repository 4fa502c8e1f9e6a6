// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/RecordsExchange.h"

#include "online/ServerAddress.h"
#include "support/ScratchDir.h"
#include "text/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lexfall::exchange {
namespace {

// Only what would break the request or its query is encoded; a plain value is unchanged.
TEST(RecordsExchangeTest, QueryValueEncoding) {
    const std::pair<std::string, std::string> cases[] = {
        {"Player1,10,300,40,3010,03/28/03", "Player1,10,300,40,3010,03/28/03"},
        {"joe.bloggs-1@example.org", "joe.bloggs-1@example.org"},
        {"Joe Bloggs&x=1", "Joe%20Bloggs%26x%3D1"},
        {"a#b%c+d?e\\f", "a%23b%25c%2Bd%3Fe%5Cf"},
        {"tab\there\r\n\x7F", "tab%09here%0D%0A%7F"},
        {"Jos\xE9", "Jos%C3%A9"},   // not UTF-8: the Windows-1252 character it shows
        {"Zo\xC3\xAB", "Zo%C3%AB"}, // UTF-8, the game's own text: each byte as it is
        {"", ""},
    };
    for (const auto& [value, encoded] : cases)
        EXPECT_EQ(EncodeQueryValue(value), encoded) << value;
}

TEST(RecordsExchangeTest, UrlsOfTheThreeExchanges) {
    const RegisterInfo identity{"Joe Bloggs&x=1", "joe@example.org", "AB-12"};
    const std::string base = "http://h/";
    EXPECT_EQ(CheckWrUrl(base), "http://h/checkwr.asp");
    EXPECT_EQ(GetMyRecUrl(base, identity),
              "http://h/getmyrec.asp?u=Joe%20Bloggs%26x%3D1&e=joe@example.org&c=AB-12");
    EXPECT_EQ(PutMyRecUrl(base, {"Player1", "p@x.org", "C"}, "Player1,10,300,40,3010,03/28/03"),
              "http://h/putmyrec.asp?u=Player1&e=p@x.org&c=C&r=Player1,10,300,40,3010,03/28/03");
}

TEST(RecordsExchangeTest, IdentityNeedsAllThreeValues) {
    EXPECT_TRUE(IdentityComplete({"u", "e", "c"}));
    EXPECT_FALSE(IdentityComplete({"u", "e", ""}));
    EXPECT_FALSE(IdentityComplete({"", "e", "c"}));
    EXPECT_FALSE(IdentityComplete({"u", "", "c"}));
}

// Every reply code, compared as a whole text, and what the player is told.
TEST(RecordsExchangeTest, ReplyTables) {
    const std::string visit =
        " Failed, please try again later or visit https://lexfall.example.org/. ";
    EXPECT_EQ(CheckWrFailure(""), visit);
    EXPECT_EQ(CheckWrFailure("0"), visit);
    EXPECT_EQ(CheckWrFailure("0\n"), std::nullopt) << "two characters are a record text";

    const std::string unknownUser =
        " Username not exists, please contact with support@lexfall.example.org. ";
    const std::string refused = " Access code refused, please check your RegCode. ";
    struct GetCase {
        const char* reply;
        bool isRecord;
        std::optional<std::string> message;
    };
    const GetCase gets[] = {
        {"", false, " Failed, unknown error. "},
        {"7", false, " Failed, unknown error. "},
        {"1", false, unknownUser},
        {"3", false, refused},
        {"5", false, " No Record, please click \"Put MyRec\" to save Your Record to internet. "},
        {"2", false, std::nullopt},
        {" ", false, std::nullopt},
        {"1\r\n", true, std::nullopt},
        {"A,1,2,3,4,5", true, std::nullopt},
    };
    for (const GetCase& c : gets) {
        SCOPED_TRACE(c.reply);
        const GetMyRecOutcome outcome = GetMyRecReply(c.reply);
        EXPECT_EQ(outcome.isRecord, c.isRecord);
        EXPECT_EQ(outcome.message, c.message);
    }

    const std::string putFailed =
        " Failed, unknown error, please contact with support@lexfall.example.org. ";
    const std::pair<const char*, std::string> puts[] = {
        {"0", " Put Record success. "},
        {"1", unknownUser},
        {"3", refused},
        {"4", " Invalid Record. "},
        {"6", " Record exists. "},
        {"", putFailed},
        {"7", putFailed},
        {"0\r\n", putFailed},
        {"2", putFailed},
    };
    for (const auto& [reply, message] : puts)
        EXPECT_EQ(PutMyRecMessage(reply), message) << reply;
}

class ServerKey : public ::testing::Test {
protected:
    std::string Read(const std::string& ini) {
        std::ofstream(path, std::ios::binary) << ini;
        return ReadServerBase(path);
    }
    const testing::ScratchDir dir;
    const std::string path = dir.File("Lexfall.ini");
};

TEST_F(ServerKey, AbsentOrEmptyMeansTheConstantAndAValidOneIsTaken) {
    EXPECT_EQ(Read(""), ServerBase);
    EXPECT_EQ(Read("[Register]\r\nServer=\r\n"), ServerBase);
    EXPECT_EQ(Read("[Register]\r\nserver=http://club.example:8080/\r\n"),
              "http://club.example:8080/");
    EXPECT_EQ(Read("[Register]\r\nServer=http://127.0.0.1/\r\n"), "http://127.0.0.1/");
    EXPECT_EQ(Read("[Options]\r\nServer=http://elsewhere/\r\n"), ServerBase);
    for (const char* value : {"https://club.example/", "HTTPS://club.example:8443/lexfall/",
                              "http://club.example:8080/games/lexfall/"}) {
        EXPECT_EQ(Read(std::string("[Register]\r\nServer=") + value + "\r\n"), value);
        EXPECT_EQ(CheckWrUrl(value), std::string(value) + "checkwr.asp");
    }
}

TEST_F(ServerKey, AnythingElseIsAnErrorNamingTheKey) {
    for (const char* value :
         {"records.example.org", "http://h", "https://h", "ftp://h/", "http://h/x", "http://h/x?y/",
          "http://h/x#/", "http://h//", "http://h/a b/", "http://:80/", "http://h:0/",
          "http://h:65536/", "http://h:+1/", "http://h h/", "http://u@h/", "http://h:/"}) {
        SCOPED_TRACE(value);
        try {
            Read(std::string("[Register]\r\nServer=") + value + "\r\n");
            ADD_FAILURE() << "taken";
        } catch (const Error& error) {
            const std::string text = error.what();
            EXPECT_NE(text.find("Server="), std::string::npos) << text;
            EXPECT_NE(text.find("[Register]"), std::string::npos) << text;
            EXPECT_NE(text.find(path), std::string::npos) << text;
        }
    }
}

} // namespace
} // namespace lexfall::exchange
