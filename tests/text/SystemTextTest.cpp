// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SystemText.h"

#include <gtest/gtest.h>

#include <string>

namespace lexfall {
namespace {

// Valid UTF-8 is shown as it is; every byte that is not part of a character is shown as its
// Windows-1252 character, never dropped.
TEST(SystemText, BytesThatAreNotUtf8ShowAsWindows1252) {
    struct Case {
        std::string bytes;
        std::string shown;
    };
    const Case cases[] = {
        {"Spiel\xC3\xA9", "Spiel\xC3\xA9"},               // UTF-8 kept
        {"J\xF6rg", "J\xC3\xB6rg"},                       // Latin-1 ö
        {"\x80 \x9F", "\xE2\x82\xAC \xC5\xB8"},           // € and Ÿ
        {"\x81", "\xC2\x81"},                             // unassigned: its C1 code
        {"\xC3", "\xC3\x83"},                             // a lead byte at the end
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                 // overlong form
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"}, // a surrogate
        {"\xF0\x9F\x8E\xB5", "\xF0\x9F\x8E\xB5"},         // four bytes
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShownUtf8(c.bytes), c.shown) << c.bytes;
}

// A limit counts bytes and never splits a character; stray bytes count one each.
TEST(SystemText, KeepFirstBytesNeverSplitsACharacter) {
    EXPECT_EQ(KeepFirstBytes("Caf\xC3\xA9", 4), "Caf");
    EXPECT_EQ(KeepFirstBytes("Caf\xC3\xA9", 5), "Caf\xC3\xA9");
    EXPECT_EQ(KeepFirstBytes("\xE2\x82\xAC"
                             "uro",
                             2),
              "");
    EXPECT_EQ(KeepFirstBytes("Caf\xE9s", 4), "Caf\xE9");
    EXPECT_EQ(KeepFirstBytes("abc", 0), "");
}

} // namespace
} // namespace lexfall
