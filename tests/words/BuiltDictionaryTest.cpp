// SPDX-License-Identifier: GPL-3.0-or-later
// The Dict.dll the build made, read through the game's own lookup.
#include "words/Dictionary.h"

#include "support/Doubles.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace lexfall::testing {
namespace {

std::string Upper(std::string word) {
    for (char& c : word)
        c = static_cast<char>(c - 'a' + 'A');
    return word;
}

class BuiltDictionaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(LEXFALL_BIN_DIR "/Dict.dll", dir.File("Dict.dll"));
        dict.OpenDict();
        ASSERT_TRUE(dict.IsOpen());
    }

    ScratchDir dir;
    RecordingDialogs dialogs;
    Dictionary dict{dir.Dir(), dialogs};
};

// Every word mkdict listed as left out is missing from the file the game reads.
TEST_F(BuiltDictionaryTest, ExcludedWordsLookUpFalse) {
    std::ifstream list(LEXFALL_EXCLUDED_WORDS);
    ASSERT_TRUE(list) << LEXFALL_EXCLUDED_WORDS;
    std::vector<std::string> excluded;
    for (std::string line; std::getline(list, line);) {
        const auto tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << "no reason given: " << line;
        excluded.push_back(line.substr(0, tab));
    }
    ASSERT_FALSE(excluded.empty());
    for (const auto& word : excluded)
        EXPECT_FALSE(dict.CheckKey(Upper(word))) << word;
}

// Ordinary words stay, among them words whose usual sense is innocent though WordNet lists a
// rarer offensive one, and words that only look like a form of a left-out word.
TEST_F(BuiltDictionaryTest, OrdinaryWordsLookUpTrue) {
    for (const char* word :
         {"CAT",     "DOG",   "HOUSE", "GARDEN", "MOUNTAIN", "QUEEN", "SPADE",
          "FAIRY",   "TOOL",  "BULL",  "BOY",    "BLACK",    "SUIT",  "PANSY",
          "SCREW",   "COCK",  "TACO",  "GUINEA", "PADDY",    "DIKE",  "SHAGGY",
          "BUTCHER", "SPICY", "SPICE", "CRAPE",  "DICKER",   "TOMS",  "PUSSYCAT"})
        EXPECT_TRUE(dict.CheckKey(word)) << word;
}

} // namespace
} // namespace lexfall::testing
