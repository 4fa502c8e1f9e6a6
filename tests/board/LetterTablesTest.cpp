// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/LetterTables.h"
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace lexfall {
namespace {

// Every boundary of both tables: the last r of each letter and the first of the next.
TEST(NextLetterTable, Boundaries) {
    struct Case {
        int r;
        char letter;
        LetterGroup group;
    };
    const Case cases[] = {
        {0, 'E', LetterGroup::Red},     {120, 'E', LetterGroup::Red},
        {121, 'A', LetterGroup::Red},   {197, 'A', LetterGroup::Red},
        {198, 'I', LetterGroup::Red},   {271, 'I', LetterGroup::Red},
        {272, 'R', LetterGroup::Red},   {347, 'R', LetterGroup::Red},
        {348, 'S', LetterGroup::Red},   {439, 'S', LetterGroup::Red},
        {440, 'D', LetterGroup::Green}, {482, 'D', LetterGroup::Green},
        {483, 'L', LetterGroup::Green}, {538, 'L', LetterGroup::Green},
        {539, 'N', LetterGroup::Green}, {596, 'N', LetterGroup::Green},
        {597, 'O', LetterGroup::Green}, {654, 'O', LetterGroup::Green},
        {655, 'T', LetterGroup::Green}, {711, 'T', LetterGroup::Green},
        {712, 'B', LetterGroup::Blue},  {734, 'B', LetterGroup::Blue},
        {735, 'C', LetterGroup::Blue},  {770, 'C', LetterGroup::Blue},
        {771, 'F', LetterGroup::Blue},  {786, 'F', LetterGroup::Blue},
        {787, 'G', LetterGroup::Blue},  {817, 'G', LetterGroup::Blue},
        {818, 'H', LetterGroup::Blue},  {841, 'H', LetterGroup::Blue},
        {842, 'J', LetterGroup::Blue},  {844, 'J', LetterGroup::Blue},
        {845, 'K', LetterGroup::Blue},  {857, 'K', LetterGroup::Blue},
        {858, 'M', LetterGroup::Blue},  {885, 'M', LetterGroup::Blue},
        {886, 'P', LetterGroup::Blue},  {914, 'P', LetterGroup::Blue},
        {915, 'Q', LetterGroup::Blue},  {916, 'Q', LetterGroup::Blue},
        {917, 'U', LetterGroup::Blue},  {951, 'U', LetterGroup::Blue},
        {952, 'V', LetterGroup::Blue},  {961, 'V', LetterGroup::Blue},
        {962, 'W', LetterGroup::Blue},  {974, 'W', LetterGroup::Blue},
        {975, 'X', LetterGroup::Blue},  {977, 'X', LetterGroup::Blue},
        {978, 'Y', LetterGroup::Blue},  {996, 'Y', LetterGroup::Blue},
        {997, 'Z', LetterGroup::Blue},  {999, 'Z', LetterGroup::Blue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.r);
        const NextLetter next = NextLetterFor(c.r);
        EXPECT_EQ(next.letter, c.letter);
        EXPECT_EQ(next.group, c.group);
    }
}

TEST(NextLetterTable, GroupColours) {
    EXPECT_EQ(GroupColour(NextLetterFor(439).group), (Rgb{139, 0, 0}));
    EXPECT_EQ(GroupColour(NextLetterFor(440).group), (Rgb{0, 100, 0}));
    EXPECT_EQ(GroupColour(NextLetterFor(711).group), (Rgb{0, 100, 0}));
    EXPECT_EQ(GroupColour(NextLetterFor(712).group), (Rgb{0, 0, 139}));
}

TEST(SwapLetterTable, Boundaries) {
    const std::pair<int, char> cases[] = {
        {0, 'E'},   {150, 'E'}, {151, 'A'}, {300, 'A'}, {301, 'I'}, {450, 'I'}, {451, 'O'},
        {550, 'O'}, {551, 'U'}, {625, 'U'}, {626, 'Y'}, {700, 'Y'}, {701, 'B'}, {715, 'B'},
        {716, 'C'}, {745, 'D'}, {746, 'F'}, {790, 'H'}, {791, 'J'}, {880, 'P'}, {881, 'Q'},
        {895, 'Q'}, {896, 'R'}, {970, 'W'}, {971, 'X'}, {985, 'X'}, {986, 'Z'}, {999, 'Z'},
    };
    for (const auto& [r, letter] : cases) {
        SCOPED_TRACE(r);
        EXPECT_EQ(SwapLetterFor(r), letter);
    }
}

// Counting every r once gives each letter exactly its weight in both tables.
TEST(LetterTables, WeightsOverTheWholeRange) {
    std::array<int, 26> next{};
    std::array<int, 26> swap{};
    for (int r = 0; r < kLetterRange; ++r) {
        ++next[NextLetterFor(r).letter - 'A'];
        ++swap[SwapLetterFor(r) - 'A'];
    }
    const std::array<int, 26> nextWeights{77, 23, 36, 43, 121, 16, 31, 24, 74, 3,  13, 56, 28,
                                          58, 58, 29, 2,  76,  92, 57, 35, 10, 13, 3,  19, 3};
    std::array<int, 26> swapWeights{};
    swapWeights.fill(15);
    swapWeights['E' - 'A'] = 151;
    swapWeights['A' - 'A'] = 150;
    swapWeights['I' - 'A'] = 150;
    swapWeights['O' - 'A'] = 100;
    swapWeights['U' - 'A'] = 75;
    swapWeights['Y' - 'A'] = 75;
    swapWeights['Z' - 'A'] = 14;
    EXPECT_EQ(next, nextWeights);
    EXPECT_EQ(swap, swapWeights);
}

// Over many draws of the program's own generator the shares approach the weights.
TEST(LetterTables, DistributionOfSeededDraws) {
    SeededRandom random(12345);
    constexpr int kDraws = 200000;
    std::array<int, 26> counts{};
    for (int i = 0; i < kDraws; ++i)
        ++counts[NextLetterFor(random.Below(kLetterRange)).letter - 'A'];
    // E weighs 121 of 1000, Q 2 of 1000.
    EXPECT_NEAR(counts['E' - 'A'] / double(kDraws), 0.121, 0.004);
    EXPECT_NEAR(counts['Q' - 'A'] / double(kDraws), 0.002, 0.0006);
    for (int count : counts)
        EXPECT_GT(count, 0);
}

} // namespace
} // namespace lexfall
