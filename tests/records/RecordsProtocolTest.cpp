// SPDX-License-Identifier: GPL-3.0-or-later
// The record text's fields and the reply codes as both sides read them.
#include "records/RecordsProtocol.h"

#include <gtest/gtest.h>

namespace lexfall::testing {
namespace {

using namespace protocol;

TEST(RecordsProtocolTest, ReplyCodesAreWholeOneCharacterReplies) {
    std::string wire;
    for (const ReplyCode code : kReplyCodes) {
        EXPECT_EQ(ReadReplyCode(ReplyText(code)), code);
        wire += ReplyText(code);
    }
    EXPECT_EQ(wire, "0134567");
    for (const char* other : {"", "2", "8", "0\n", " 0", "00", "Ann,1,2,3,4,5"})
        EXPECT_FALSE(ReadReplyCode(other)) << other;
}

TEST(RecordsProtocolTest, FieldsSplitAtTheFirstFiveCommas) {
    struct Case {
        const char* text;
        std::array<std::string_view, kRecordFieldCount> fields;
        bool complete;
    };
    const Case cases[] = {
        {"Ann,2,30,10,194,2003-03-28", {"Ann", "2", "30", "10", "194", "2003-03-28"}, true},
        {",,,,,", {"", "", "", "", "", ""}, true},
        // The date is the rest: the game reads it whole, the server refuses it.
        {"Ann,2,30,10,194,28,3,2003", {"Ann", "2", "30", "10", "194", "28,3,2003"}, false},
        // Too few: what follows the last comma stands as the date.
        {"Ann,2,30", {"Ann", "2", "", "", "", "30"}, false},
        {"Ann", {"", "", "", "", "", "Ann"}, false},
        {"", {"", "", "", "", "", ""}, false},
    };
    for (const Case& c : cases) {
        const RecordFields fields = SplitRecordFields(c.text);
        EXPECT_EQ(fields.Texts, c.fields) << c.text;
        EXPECT_EQ(fields.Complete, c.complete) << c.text;
    }
}

TEST(RecordsProtocolTest, JoinedFieldsSplitBackUnchanged) {
    const std::string text = JoinRecordFields("Ann Lee", 2, 30, 10, 194, "2003-03-28");
    EXPECT_EQ(text, "Ann Lee,2,30,10,194,2003-03-28");
    const RecordFields fields = SplitRecordFields(text);
    EXPECT_TRUE(fields.Complete);
    EXPECT_EQ(fields[NameField], "Ann Lee");
    EXPECT_EQ(fields[DateField], "2003-03-28");
}

TEST(RecordsProtocolTest, OnlyTheFullDateFormHasTheRecordDateShape) {
    EXPECT_TRUE(HasRecordDateShape("2003-03-28"));
    for (const char* other : {"03-03-28", "2003-3-28", "2003/03/28", "2003-03-28 ", "2O03-03-28"})
        EXPECT_FALSE(HasRecordDateShape(other)) << other;
}

} // namespace
} // namespace lexfall::testing
