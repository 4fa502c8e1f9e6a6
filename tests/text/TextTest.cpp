// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Text.h"
#include "text/Numbers.h"

#include "text/Error.h"

#include <gtest/gtest.h>

namespace lexfall::text {
namespace {

// Integer conversion: a sign and decimal digits within 32 bits, nothing else.
TEST(TextTest, StrToIntTakesSignedDecimalsAndNamesAnythingElse) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"8080", 8080},
        {"-1", -1},
        {"+42", 42},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"+-1", std::nullopt},
        {"-", std::nullopt},
        {"0x10", std::nullopt},
        {"1,000", std::nullopt},
        {"abc", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseDecimal(c.text), c.value);
        if (c.value) {
            EXPECT_EQ(StrToInt(c.text), *c.value);
        } else {
            try {
                StrToInt(c.text);
                ADD_FAILURE() << "no error";
            } catch (const Error& error) {
                EXPECT_EQ(std::string(error.what()),
                          "'" + std::string(c.text) + "' is not a valid integer value");
            }
        }
    }
}

TEST(TextTest, CaseAndBlankHelpersTouchOnlyAsciiLettersAndSpaces) {
    EXPECT_TRUE(EqualNoCase("UserName", "Username"));
    EXPECT_TRUE(EqualNoCase("", ""));
    EXPECT_FALSE(EqualNoCase("Port", "Ports"));
    EXPECT_FALSE(EqualNoCase("\xC4", "\xE4")) << "Latin-1 letters are not folded";
    EXPECT_EQ(LowerAscii('Q'), 'q');
    EXPECT_EQ(LowerAscii('['), '[');
    EXPECT_EQ(RemoveBlanks(" 80 80 "), "8080");
    EXPECT_EQ(RemoveBlanks("\t1"), "\t1") << "only the space character is a blank";
}

// RFC 4648's test vectors, and a byte above 127.
// Matching without case: only A-Z fold, so bytes past ASCII and signs never match another.
TEST(TextTest, ContainsAndEndsWithNoCase) {
    struct Case {
        const char* text;
        const char* part;
        bool contains;
        bool endsWith;
    };
    const Case cases[] = {
        {"gzip, Chunked", "chunked", true, true},
        {"CHUNKED;q=1", "chunked", true, false},
        {"chunke", "chunked", false, false},
        {"Song.MID", ".mid", true, true},
        {"song.midi", ".mid", true, false},
        {"", "", true, true},
        {"abc", "", true, true},
        {"\xC4.mid", "\xE4.mid", false, false},
        {"a@b", "a`b", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ContainsNoCase(c.text, c.part), c.contains) << c.text << " / " << c.part;
        EXPECT_EQ(EndsWithNoCase(c.text, c.part), c.endsWith) << c.text << " / " << c.part;
    }
    EXPECT_EQ(LowerAsciiText("MiXeD [Z]@\xC4"), "mixed [z]@\xC4");
}

// Only spaces and tabs are blanks here: a CR or NUL left on a line stays part of it.
TEST(TextTest, TrimBlanksTakesSpacesAndTabsOnly) {
    struct Case {
        std::string_view text, leading, both;
    };
    const Case cases[] = {
        {" \t a b\t ", "a b\t ", "a b"},
        {"", "", ""},
        {" \t", "", ""},
        {"\rx\n", "\rx\n", "\rx\n"},
        {std::string_view(" \0 ", 3), std::string_view("\0 ", 2), std::string_view("\0", 1)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimLeadingBlanks(c.text), c.leading);
        EXPECT_EQ(TrimBlanks(c.text), c.both);
    }
}

TEST(TextTest, ControlCharactersAreBelowSpaceAndDelOnly) {
    for (const char c : {'\0', '\t', '\n', '\x1f', '\x7f'})
        EXPECT_TRUE(IsControlAscii(c)) << int(c);
    for (const char c : {' ', '~', '\x80', '\x9f', '\xff'})
        EXPECT_FALSE(IsControlAscii(c)) << int(c);
}

// Each reader keeps its own rules on signs, bases and range.
TEST(TextTest, DigitAndWholeTextReaders) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> digits;
    };
    const Case cases[] = {
        {"0", 0},
        {"0042", 42},
        {"2147483647", 2147483647},
        {"2147483648", std::nullopt},
        {"", {}},
        {"+1", {}},
        {"-1", {}},
        {" 1", {}},
        {"1 ", {}},
        {"12a", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseDigits(c.text), c.digits) << c.text;

    std::uint64_t size = 7;
    EXPECT_TRUE(ParseWhole("1aF", size, 16));
    EXPECT_EQ(size, 0x1afu);
    EXPECT_FALSE(ParseWhole("-1", size));
    EXPECT_FALSE(ParseWhole("", size));
    EXPECT_FALSE(ParseWhole("18446744073709551616", size));
    EXPECT_FALSE(ParseWhole("12 ", size));
    int code = 0;
    EXPECT_TRUE(ParseWhole("-404", code));
    EXPECT_EQ(code, -404);
}

TEST(TextTest, Base64) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"\xFF", "/w=="},
        {"Aladdin:open sesame", "QWxhZGRpbjpvcGVuIHNlc2FtZQ=="},
    };
    for (const auto& [plain, encoded] : cases)
        EXPECT_EQ(Base64(plain), encoded) << plain;
}

} // namespace
} // namespace lexfall::text
