// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "WordLists.h"
#include "WordNet.h"

#include <map>
#include <string>
#include <vector>

namespace lexfall::mkdict {

// A reviewed decision that overrides WordNet's, with its one-phrase reason.
struct ReviewEntry {
    bool keep = false;
    std::string reason;
};
using ReviewList = std::map<std::string, ReviewEntry>;

// Reads lines "keep WORD reason" and "drop WORD reason"; blank lines and lines starting with
// '#' are skipped. Throws std::runtime_error naming the first bad line.
ReviewList ReadReviewList(const std::string& path);

enum class LemmaVerdict { Innocent, Dropped, KeptDespiteMark };

struct LemmaJudgement {
    LemmaVerdict verdict = LemmaVerdict::Innocent;
    SenseMark mark = SenseMark::None; // of the sense that decided
    std::string reason; // for Dropped and KeptDespiteMark: which sense decided, and its gloss
};

// A lemma goes when its most frequent sense (the most often tagged; WordNet's first among
// equals) is a slur or obscene, or when none of its senses was ever tagged and one of them
// is marked: then nothing shows that an innocent sense is the usual one.
LemmaJudgement JudgeLemma(const std::vector<Sense>& senses);

// The lemmas a word can be an inflection of: WordNet's irregular forms, and the regular
// endings of nouns, verbs and adjectives where the stem is a lemma of that part of speech
// (or, for noun plurals, a reviewed word).
std::vector<std::string> BaseForms(const std::string& word, const WordNet& wordNet,
                                   const ReviewList& review);

struct Exclusion {
    std::map<std::string, std::string> excluded; // game word -> reason
    std::map<std::string, std::string> keptDespiteMark;
};

// Judges every game word by itself and by the lemmas it is a form of; a reviewed entry for
// the word or one of its lemmas wins over WordNet. A word that WordNet does not know, made of
// a lemma dropped as obscene and a common word or ending ("-er", "-y"), goes too.
Exclusion JudgeWords(const WordsByLevel& levels, const WordNet& wordNet, const ReviewList& review);

// The lists without the excluded words, each level in its order.
WordsByLevel WithoutExcluded(const WordsByLevel& levels, const Exclusion& exclusion);

} // namespace lexfall::mkdict
