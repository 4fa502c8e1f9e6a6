// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordNet.h"

#include <array>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lexfall::mkdict {

namespace {

struct PosFiles {
    PartOfSpeech pos;
    const char* name;
};
constexpr std::array<PosFiles, 4> kParts = {{{PartOfSpeech::Noun, "noun"},
                                             {PartOfSpeech::Verb, "verb"},
                                             {PartOfSpeech::Adjective, "adj"},
                                             {PartOfSpeech::Adverb, "adv"}}};

// Lexicographer files of nouns for groups and for persons: only terms for people can be slurs.
constexpr int kNounGroupFile = 14;
constexpr int kNounPersonFile = 18;

struct Synset {
    int lexFile = 0;
    std::vector<std::string> words;
    std::vector<std::string> usageDomains; // noun synset offsets
    std::string gloss;
};
using Synsets = std::map<std::string, Synset>; // by offset, one part of speech

std::ifstream OpenFile(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return in;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The definition alone: the examples after it quote words in other senses.
std::string Definition(const std::string& line) {
    const auto bar = line.find(" | ");
    if (bar == std::string::npos)
        return {};
    std::string gloss = Lower(line.substr(bar + 3));
    const auto examples = gloss.find("; \"");
    return examples == std::string::npos ? gloss : gloss.substr(0, examples);
}

Synsets ReadData(const std::string& path) {
    Synsets synsets;
    auto in = OpenFile(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ' ')
            continue; // the licence text at the top
        std::istringstream fields(line);
        std::string offset, type, count;
        Synset synset;
        fields >> offset >> synset.lexFile >> type >> count;
        const int words = std::stoi(count, nullptr, 16);
        for (int i = 0; i < words; ++i) {
            std::string word, lexId;
            fields >> word >> lexId;
            synset.words.push_back(Lower(word));
        }
        int pointers = 0;
        fields >> pointers;
        for (int i = 0; i < pointers; ++i) {
            std::string symbol, target, pos, sourceTarget;
            fields >> symbol >> target >> pos >> sourceTarget;
            if (symbol == ";u")
                synset.usageDomains.push_back(target);
        }
        if (!fields)
            throw std::runtime_error("cannot read synset " + offset + " in " + path);
        synset.gloss = Definition(line);
        synsets.emplace(offset, std::move(synset));
    }
    return synsets;
}

bool Has(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

bool HasWord(const Synset& synset, const char* word) {
    for (const auto& w : synset.words)
        if (w == word)
            return true;
    return false;
}

SenseMark MarkOf(const Synset& synset, bool noun, const Synsets& nouns) {
    bool slurDomain = false, disparagingDomain = false, obsceneDomain = false;
    for (const auto& offset : synset.usageDomains) {
        const auto found = nouns.find(offset);
        if (found == nouns.end())
            continue;
        slurDomain |= HasWord(found->second, "ethnic_slur");
        disparagingDomain |= HasWord(found->second, "disparagement");
        obsceneDomain |= HasWord(found->second, "obscenity") || HasWord(found->second, "vulgarism");
    }
    const std::string& gloss = synset.gloss;
    if (slurDomain || Has(gloss, "(ethnic slur)"))
        return SenseMark::Slur;
    const bool people =
        noun && (synset.lexFile == kNounGroupFile || synset.lexFile == kNounPersonFile);
    const bool offensiveTerm =
        Has(gloss, "offensive slang") ||
        (Has(gloss, "offensive") && (Has(gloss, "term") || Has(gloss, "name")));
    if (people && (disparagingDomain || offensiveTerm))
        return SenseMark::Slur;
    for (const char* phrase : {"obscene term", "obscene word", "vulgar slang", "vulgar term",
                               "vulgar expression", "vulgar name"})
        if (Has(gloss, phrase))
            return SenseMark::Obscene;
    return obsceneDomain ? SenseMark::Obscene : SenseMark::None;
}

// Tag counts by "lemma%type" and sense number; type 5 (adjective satellite) counts as 3.
std::map<std::pair<std::string, int>, int> ReadTagCounts(const std::string& path) {
    std::map<std::pair<std::string, int>, int> counts;
    auto in = OpenFile(path);
    std::string key;
    int number = 0, count = 0;
    while (in >> key >> number >> count) {
        const auto percent = key.find('%');
        if (percent == std::string::npos || percent + 1 >= key.size())
            continue;
        char type = key[percent + 1];
        if (type == '5')
            type = '3';
        counts[{Lower(key.substr(0, percent + 1)) + type, number}] += count;
    }
    return counts;
}

void ReadIndex(const std::string& path, const PosFiles& part, const Synsets& synsets,
               const Synsets& nouns, const std::map<std::pair<std::string, int>, int>& counts,
               WordNet& wordNet) {
    auto in = OpenFile(path);
    const char typeDigit = static_cast<char>('1' + static_cast<int>(part.pos));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ' ')
            continue;
        std::istringstream fields(line);
        std::string lemma, pos;
        int synsetCount = 0, pointerCount = 0;
        fields >> lemma >> pos >> synsetCount >> pointerCount;
        std::string skip;
        for (int i = 0; i < pointerCount + 2; ++i) // pointer symbols, sense and tagged counts
            fields >> skip;
        auto& senses = wordNet.senses[lemma];
        for (int number = 1; number <= synsetCount; ++number) {
            std::string offset;
            fields >> offset;
            const auto synset = synsets.find(offset);
            if (!fields || synset == synsets.end())
                throw std::runtime_error("cannot read the senses of " + lemma + " in " + path);
            const auto count = counts.find({lemma + "%" + typeDigit, number});
            senses.push_back({part.pos, number, count == counts.end() ? 0 : count->second,
                              MarkOf(synset->second, part.pos == PartOfSpeech::Noun, nouns),
                              synset->second.gloss});
        }
    }
}

void ReadExceptions(const std::string& path, PartOfSpeech pos, WordNet& wordNet) {
    auto in = OpenFile(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string inflected, base;
        fields >> inflected;
        while (fields >> base)
            wordNet.irregular[inflected].emplace_back(pos, base);
    }
}

} // namespace

WordNet ReadWordNet(const std::string& folder) {
    const std::string dir = folder + "/";
    const auto counts = ReadTagCounts(dir + "cntlist.rev");
    const Synsets nouns = ReadData(dir + "data.noun");
    WordNet wordNet;
    for (const auto& part : kParts) {
        if (part.pos == PartOfSpeech::Noun) {
            ReadIndex(dir + "index.noun", part, nouns, nouns, counts, wordNet);
        } else {
            const Synsets synsets = ReadData(dir + "data." + part.name);
            ReadIndex(dir + "index." + part.name, part, synsets, nouns, counts, wordNet);
        }
        ReadExceptions(dir + part.name + ".exc", part.pos, wordNet);
    }
    return wordNet;
}

} // namespace lexfall::mkdict
