// SPDX-License-Identifier: GPL-3.0-or-later
// mkdict's rules for leaving words out, on made-up words so each rule shows on its own.
#include "OffensiveWords.h"
#include "WordNet.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace lexfall::testing {
namespace {

using mkdict::Exclusion;
using mkdict::LemmaVerdict;
using mkdict::PartOfSpeech;
using mkdict::ReviewList;
using mkdict::Sense;
using mkdict::SenseMark;
using mkdict::WordNet;

constexpr auto Noun = PartOfSpeech::Noun;
constexpr auto Verb = PartOfSpeech::Verb;
constexpr auto Slur = SenseMark::Slur;
constexpr auto Obscene = SenseMark::Obscene;
constexpr auto None = SenseMark::None;

Sense S(PartOfSpeech pos, int number, int tagCount, SenseMark mark) {
    return {pos, number, tagCount, mark, "gloss"};
}

// The most frequent sense decides; with no sense attested, any marked one does.
TEST(OffensiveWordsTest, JudgeLemmaBySenseFrequency) {
    const struct {
        const char* what;
        std::vector<Sense> senses;
        LemmaVerdict verdict;
    } cases[] = {
        {"no marked sense", {S(Noun, 1, 0, None), S(Verb, 1, 3, None)}, LemmaVerdict::Innocent},
        {"attested innocent sense first",
         {S(Noun, 1, 16, None), S(Noun, 2, 0, Slur)},
         LemmaVerdict::KeptDespiteMark},
        {"marked sense tagged most",
         {S(Noun, 1, 3, Obscene), S(Verb, 1, 1, None)},
         LemmaVerdict::Dropped},
        {"a verb sense tagged more than a marked noun",
         {S(Noun, 1, 1, Obscene), S(Verb, 1, 4, None)},
         LemmaVerdict::KeptDespiteMark},
        {"equal counts: the first sense",
         {S(Noun, 1, 2, None), S(Noun, 2, 2, Slur)},
         LemmaVerdict::KeptDespiteMark},
        {"nothing attested, marked sense second",
         {S(Noun, 1, 0, None), S(Noun, 2, 0, Slur)},
         LemmaVerdict::Dropped},
    };
    for (const auto& c : cases) {
        const auto judgement = mkdict::JudgeLemma(c.senses);
        EXPECT_EQ(judgement.verdict, c.verdict) << c.what;
        EXPECT_EQ(judgement.reason.empty(), c.verdict == LemmaVerdict::Innocent) << c.what;
    }
}

// Forms follow their lemma unless they also read as an innocent word ("blorped", "blorpes" as
// forms of "blorpe"); reviewed entries win and cover forms; obscene stems carry into
// compounds with common words and into endings.
TEST(OffensiveWordsTest, JudgeWordsFollowsFormsReviewAndCompounds) {
    WordNet wordNet;
    wordNet.senses["blorp"] = {S(Noun, 1, 0, Slur), S(Verb, 1, 0, None)};
    wordNet.senses["blorpe"] = {S(Verb, 1, 2, None)};
    wordNet.senses["crown"] = {S(Noun, 1, 5, None), S(Noun, 2, 0, Slur)};
    wordNet.senses["grub"] = {S(Noun, 1, 0, Obscene)};
    wordNet.senses["flimp"] = {S(Noun, 1, 0, Obscene)};
    wordNet.senses["house"] = {S(Noun, 1, 9, None)};
    wordNet.irregular["blarp"] = {{Verb, "blorp"}};
    const ReviewList review = {{"zonk", {false, "missed by WordNet"}},
                               {"flimp", {true, "innocent in use"}}};
    const mkdict::WordsByLevel levels = {
        {10, {"house", "home", "crown", "crowns"}},
        {50,
         {"blorp", "blorps", "blorped", "blorpping", "blarp", "blorpes", "grub", "grubby",
          "grubhome", "grubhom", "zonk", "zonks", "flimp", "flimps", "flimpy"}}};

    const Exclusion exclusion = mkdict::JudgeWords(levels, wordNet, review);

    std::set<std::string> excluded;
    for (const auto& [word, reason] : exclusion.excluded) {
        excluded.insert(word);
        EXPECT_FALSE(reason.empty()) << word;
    }
    const std::set<std::string> expected = {"blorp",  "blorps",   "blorpping", "blarp", "grub",
                                            "grubby", "grubhome", "zonk",      "zonks"};
    EXPECT_EQ(excluded, expected);
    EXPECT_EQ(exclusion.excluded.at("blorps").rfind("form of blorp", 0), 0u);
    for (const char* kept : {"crown", "crowns", "flimp", "flimps"})
        EXPECT_EQ(exclusion.keptDespiteMark.count(kept), 1u) << kept;

    const auto filtered = mkdict::WithoutExcluded(levels, exclusion);
    EXPECT_EQ(filtered.at(10), levels.at(10));
    EXPECT_EQ(filtered.at(50), (std::vector<std::string>{"blorped", "blorpes", "grubhom", "flimp",
                                                         "flimps", "flimpy"}));
}

// Marks come from usage-domain pointers and from glosses; an offensive term is a slur only
// for persons and groups; tag counts reach the sense by its number.
TEST(OffensiveWordsTest, ReadWordNetMarksSensesAndCountsTags) {
    ScratchDir dir;
    const auto put = [&dir](const char* name, const std::string& text) {
        std::ofstream(dir.File(name)) << text;
    };
    put("data.noun",
        "  1 This software and database is being provided to you\n"
        "00000001 10 n 01 ethnic_slur 0 000 | a slur on someone's race  \n"
        "00000002 10 n 01 obscenity 0 000 | an obscene word  \n"
        "00000003 18 n 01 zib 0 001 ;u 00000001 n 0000 | a person  \n"
        "00000004 18 n 01 zab 0 000 | offensive term for a sort of person; \"not a term\"  \n"
        "00000005 06 n 01 zab 0 000 | offensive term for a tool  \n"
        "00000006 06 n 01 zub 0 001 ;u 00000002 n 0000 | a thing  \n"
        "00000007 06 n 01 zub 0 000 | a thing; \"obscene terms for x\" in an example only  \n");
    put("index.noun", "zib n 1 1 ;u 1 0 00000003  \n"
                      "zab n 2 0 2 1 00000005 00000004  \n"
                      "zub n 2 0 2 0 00000007 00000006  \n");
    put("cntlist.rev", "zab%1:06:00:: 1 7\nzab%1:18:00:: 2 1\n");
    put("noun.exc", "zabs zab\n");
    for (const char* part : {"verb", "adj", "adv"}) {
        put((std::string("data.") + part).c_str(), "");
        put((std::string("index.") + part).c_str(), "");
        put((std::string(part) + ".exc").c_str(), "");
    }

    const WordNet wordNet = mkdict::ReadWordNet(dir.Path().string());

    const auto marks = [&wordNet](const char* lemma) {
        std::vector<std::pair<SenseMark, int>> result;
        for (const auto& sense : wordNet.senses.at(lemma))
            result.emplace_back(sense.mark, sense.tagCount);
        return result;
    };
    using Marks = std::vector<std::pair<SenseMark, int>>;
    EXPECT_EQ(marks("zib"), (Marks{{Slur, 0}}));
    EXPECT_EQ(marks("zab"), (Marks{{None, 7}, {Slur, 1}}));
    EXPECT_EQ(marks("zub"), (Marks{{None, 0}, {Obscene, 0}}));
    ASSERT_EQ(wordNet.irregular.count("zabs"), 1u);
    EXPECT_EQ(wordNet.irregular.at("zabs").front().second, "zab");
}

} // namespace
} // namespace lexfall::testing
