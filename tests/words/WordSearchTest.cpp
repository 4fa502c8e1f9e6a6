// SPDX-License-Identifier: GPL-3.0-or-later
#include "words/WordSearch.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace lexfall {
namespace {

// Knows a fixed set of words and records every text it is asked about.
class FakeChecker final : public WordChecker {
public:
    explicit FakeChecker(std::set<std::string> words = {}) : words_(std::move(words)) {}
    bool CheckKey(const std::string& word) override {
        asked.push_back(word);
        return words_.count(word) != 0;
    }
    std::vector<std::string> asked;

private:
    std::set<std::string> words_;
};

// Writes text into a row from column `col`; '.' leaves a cell empty.
void Put(TChars& chars, int row, int col, const std::string& text) {
    for (char letter : text) {
        chars[col][row] = letter == '.' ? 0 : static_cast<std::uint8_t>(letter);
        ++col;
    }
}

std::string Row(const TChars& chars, int row) {
    std::string text;
    for (int c = 0; c <= MaxCol; ++c)
        text += chars[c][row] == 0 ? '.' : static_cast<char>(chars[c][row]);
    return text;
}

TBlock Landed(int col, int row) {
    return TBlock{col, row, 0};
}

struct OrderCase {
    int length;
    int landedCol;
    int lookups;
    friend void PrintTo(const OrderCase& c, std::ostream* os) {
        *os << c.length << " letters, landed at column " << c.landedCol;
    }
};

class CandidateOrderTest : public ::testing::TestWithParam<OrderCase> {};

// The whole run first, then shorter pieces, each length from the left, down to 3 letters.
TEST_P(CandidateOrderTest, TriesLongestThenLeftmost) {
    const OrderCase c = GetParam();
    const std::string run = std::string("ABCDEFGH").substr(0, static_cast<std::size_t>(c.length));
    TChars chars{};
    Put(chars, 9, 0, run);
    FakeChecker checker;

    EXPECT_FALSE(FindWord(chars, Landed(c.landedCol, 9), checker));

    std::vector<std::string> expected;
    for (std::size_t length = run.size(); length >= 3; --length)
        for (std::size_t start = 0; start + length <= run.size(); ++start)
            expected.push_back(run.substr(start, length));
    EXPECT_EQ(checker.asked, expected);
    EXPECT_EQ(static_cast<int>(checker.asked.size()), c.lookups);
}

INSTANTIATE_TEST_SUITE_P(RunLengths, CandidateOrderTest,
                         ::testing::Values(OrderCase{3, 1, 1}, OrderCase{4, 0, 3},
                                           OrderCase{5, 4, 6}, OrderCase{6, 2, 10},
                                           OrderCase{7, 6, 15}, OrderCase{8, 7, 21},
                                           OrderCase{8, 0, 21}));

TEST(FindWord, FiveLetterRunAsksInTheFixedOrder) {
    TChars chars{};
    Put(chars, 5, 2, "VWXYZ");
    FakeChecker checker;
    FindWord(chars, Landed(4, 5), checker);
    EXPECT_EQ(checker.asked,
              (std::vector<std::string>{"VWXYZ", "VWXY", "WXYZ", "VWX", "WXY", "XYZ"}));
}

// Runs of one or two letters are too short to ask about.
TEST(FindWord, ShortRunAsksNothing) {
    TChars chars{};
    Put(chars, 9, 3, "AB");
    Put(chars, 8, 0, "X");
    FakeChecker checker({"AB"});
    EXPECT_FALSE(FindWord(chars, Landed(4, 9), checker));
    EXPECT_FALSE(FindWord(chars, Landed(0, 8), checker));
    EXPECT_TRUE(checker.asked.empty());
}

// The run stops at empty cells and at the edges, and never reaches into other rows.
TEST(FindWord, RunIsBoundedByGapsAndEdges) {
    TChars chars{};
    Put(chars, 9, 0, "CAT.DOGS");
    Put(chars, 8, 0, "TTTTTTTT");
    FakeChecker checker;
    FindWord(chars, Landed(5, 9), checker);
    EXPECT_EQ(checker.asked, (std::vector<std::string>{"DOGS", "DOG", "OGS"}));
}

struct PickCase {
    const char* why;
    const char* row;
    int landedCol;
    std::set<std::string> words;
    FoundWord found;
    friend void PrintTo(const PickCase& c, std::ostream* os) { *os << c.why; }
};

class WordPickTest : public ::testing::TestWithParam<PickCase> {};

// The first word of the fixed order is the one found, with its columns.
TEST_P(WordPickTest, FindsTheFirstWordInOrder) {
    const PickCase c = GetParam();
    TChars chars{};
    Put(chars, 7, 0, c.row);
    FakeChecker checker(c.words);
    const auto found = FindWord(chars, Landed(c.landedCol, 7), checker);
    ASSERT_TRUE(found) << c.why;
    EXPECT_EQ(*found, c.found) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, WordPickTest,
    ::testing::Values(
        PickCase{"whole run beats words inside",
                 ".CATSUP.",
                 3,
                 {"CATSUP", "CAT", "CATS", "SUP"},
                 {1, 6, "CATSUP"}},
        PickCase{
            "longer wins though it lies right", "CATHOUSE", 0, {"CAT", "HOUSE"}, {3, 7, "HOUSE"}},
        PickCase{"leftmost among equal lengths", "XDOGCATX", 7, {"CAT", "DOG"}, {1, 3, "DOG"}},
        PickCase{"word at the left edge", "TOPZ....", 3, {"TOP"}, {0, 2, "TOP"}},
        PickCase{"word at the right edge", "....QSKY", 4, {"SKY"}, {5, 7, "SKY"}},
        PickCase{"word away from the landed letter", "ZZZZBEE.", 0, {"BEE"}, {4, 6, "BEE"}}));

// Two words in one run: one is cleared, the other stays for a later landing.
TEST(FindWord, TwoWordsInARunLoseOnlyOne) {
    TChars chars{};
    Put(chars, 9, 0, "CATXDOG.");
    FakeChecker checker({"CAT", "DOG"});
    const auto found = FindWord(chars, Landed(3, 9), checker);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, (FoundWord{0, 2, "CAT"}));
    ClearWordCells(chars, 9, found->StartCol, found->EndCol);
    EXPECT_EQ(Row(chars, 9), "...XDOG.");
}

// Letters above the word drop one row, gaps and all; other columns and row 0 stay.
TEST(ClearWordCells, DropsEveryLetterAboveByOneRow) {
    TChars chars{};
    Put(chars, 0, 0, "Q.Q.....");
    Put(chars, 3, 0, "...A....");
    Put(chars, 4, 0, ".B.C....");
    Put(chars, 5, 0, ".D......");
    Put(chars, 6, 0, ".EF.G...");
    Put(chars, 7, 0, "HWORDI..");
    ClearWordCells(chars, 7, 1, 4);

    EXPECT_EQ(Row(chars, 0), "Q.Q.....");
    EXPECT_EQ(Row(chars, 1), "........");
    EXPECT_EQ(Row(chars, 3), "........");
    EXPECT_EQ(Row(chars, 4), "...A....");
    EXPECT_EQ(Row(chars, 5), ".B.C....");
    EXPECT_EQ(Row(chars, 6), ".D......");
    EXPECT_EQ(Row(chars, 7), "HEF.GI..");
}

} // namespace
} // namespace lexfall
