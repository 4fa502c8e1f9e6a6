// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <map>
#include <string>
#include <vector>

namespace lexfall::mkdict {

// What a sense's usage-domain pointers and gloss say about it.
enum class SenseMark { None, Slur, Obscene };

enum class PartOfSpeech { Noun, Verb, Adjective, Adverb };

struct Sense {
    PartOfSpeech pos = PartOfSpeech::Noun;
    int number = 0;   // 1 = WordNet's most frequent sense of the lemma in this part of speech
    int tagCount = 0; // times tagged in the sense-tagged corpus
    SenseMark mark = SenseMark::None;
    std::string gloss; // the definition, without its examples
};

// The parts of WordNet 3.0 that judge a word: every sense of every lemma, and the irregular
// inflections.
struct WordNet {
    std::map<std::string, std::vector<Sense>> senses; // by lemma, lower case, '_' for blanks
    std::map<std::string, std::vector<std::pair<PartOfSpeech, std::string>>> irregular;
};

// Reads data.*, index.*, cntlist.rev and *.exc of the WordNet database in folder. Throws
// std::runtime_error when a file is missing or a line cannot be read.
WordNet ReadWordNet(const std::string& folder);

} // namespace lexfall::mkdict
