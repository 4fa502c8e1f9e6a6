// SPDX-License-Identifier: GPL-3.0-or-later
#include "OffensiveWords.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>

namespace lexfall::mkdict {

namespace {

struct Ending {
    PartOfSpeech pos;
    const char* suffix;
    const char* replacement;
};

// WordNet's own detachment rules.
constexpr Ending kEndings[] = {
    {PartOfSpeech::Noun, "s", ""},        {PartOfSpeech::Noun, "ses", "s"},
    {PartOfSpeech::Noun, "xes", "x"},     {PartOfSpeech::Noun, "zes", "z"},
    {PartOfSpeech::Noun, "ches", "ch"},   {PartOfSpeech::Noun, "shes", "sh"},
    {PartOfSpeech::Noun, "men", "man"},   {PartOfSpeech::Noun, "ies", "y"},
    {PartOfSpeech::Verb, "s", ""},        {PartOfSpeech::Verb, "ies", "y"},
    {PartOfSpeech::Verb, "es", "e"},      {PartOfSpeech::Verb, "es", ""},
    {PartOfSpeech::Verb, "ed", "e"},      {PartOfSpeech::Verb, "ed", ""},
    {PartOfSpeech::Verb, "ing", "e"},     {PartOfSpeech::Verb, "ing", ""},
    {PartOfSpeech::Adjective, "er", ""},  {PartOfSpeech::Adjective, "est", ""},
    {PartOfSpeech::Adjective, "er", "e"}, {PartOfSpeech::Adjective, "est", "e"},
};

const char* MarkName(SenseMark mark) {
    return mark == SenseMark::Slur ? "slur or disparaging term for people" : "obscene or vulgar";
}

bool IsLemmaOf(const WordNet& wordNet, const std::string& lemma, PartOfSpeech pos) {
    const auto found = wordNet.senses.find(lemma);
    return found != wordNet.senses.end() &&
           std::any_of(found->second.begin(), found->second.end(),
                       [pos](const Sense& sense) { return sense.pos == pos; });
}

void AddOnce(std::vector<std::string>& forms, const std::string& form) {
    if (std::find(forms.begin(), forms.end(), form) == forms.end())
        forms.push_back(form);
}

// Endings and words that make a new word of an obscene one; below this level a word is common.
constexpr const char* kDerivedEndings[] = {"er", "ers", "y", "ier", "iest", "up", "ups"};
constexpr int kCommonLevel = 35;
constexpr std::size_t kShortestCompoundStem = 4;
constexpr std::size_t kShortestCompoundRest = 4; // shorter common words join by accident

std::set<std::string> CommonWords(const WordsByLevel& levels) {
    std::set<std::string> common;
    for (const auto& [level, words] : levels)
        if (level <= kCommonLevel)
            common.insert(words.begin(), words.end());
    return common;
}

// "stem + rest" where stem is a lemma dropped as obscene and rest a common word or an ending,
// the stem's last consonant doubled before it or not.
std::string CompoundReason(const std::string& word,
                           const std::map<std::string, LemmaJudgement>& obsceneStems,
                           const std::set<std::string>& common) {
    for (const auto& [stem, judgement] : obsceneStems) {
        if (word.size() <= stem.size() || word.compare(0, stem.size(), stem) != 0)
            continue;
        const std::string rest = word.substr(stem.size());
        const bool ending =
            std::any_of(std::begin(kDerivedEndings), std::end(kDerivedEndings), [&](const char* e) {
                return rest == e || rest == stem.back() + std::string(e);
            });
        if (ending || (rest.size() >= kShortestCompoundRest && common.count(rest) != 0))
            return "made of " + stem + " and " + rest + "; " + judgement.reason;
    }
    return {};
}

bool EndsWith(const std::string& word, const std::string& suffix) {
    return word.size() > suffix.size() &&
           word.compare(word.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

ReviewList ReadReviewList(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    ReviewList review;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string action, word, reason;
        fields >> action >> word;
        std::getline(fields >> std::ws, reason);
        if ((action != "keep" && action != "drop") || !IsGameWord(word) || reason.empty() ||
            review.count(word) != 0)
            throw std::runtime_error(path + ":" + std::to_string(number) +
                                     ": want \"keep|drop word reason\", each word once");
        review[word] = {action == "keep", reason};
    }
    return review;
}

LemmaJudgement JudgeLemma(const std::vector<Sense>& senses) {
    const auto marked = std::find_if(senses.begin(), senses.end(),
                                     [](const Sense& s) { return s.mark != SenseMark::None; });
    if (marked == senses.end())
        return {};
    // Senses come by part of speech (noun first), then by WordNet's own order.
    const auto top =
        std::max_element(senses.begin(), senses.end(),
                         [](const Sense& a, const Sense& b) { return a.tagCount < b.tagCount; });
    if (top->tagCount == 0)
        return {LemmaVerdict::Dropped, marked->mark,
                std::string(MarkName(marked->mark)) + ", no sense attested: " + marked->gloss};
    if (top->mark != SenseMark::None)
        return {LemmaVerdict::Dropped, top->mark,
                std::string("most frequent sense ") + MarkName(top->mark) + ": " + top->gloss};
    return {LemmaVerdict::KeptDespiteMark, marked->mark,
            std::string("most frequent sense: ") + top->gloss + "; rarer sense " +
                MarkName(marked->mark) + ": " + marked->gloss};
}

std::vector<std::string> BaseForms(const std::string& word, const WordNet& wordNet,
                                   const ReviewList& review) {
    std::vector<std::string> forms;
    const auto irregular = wordNet.irregular.find(word);
    if (irregular != wordNet.irregular.end())
        for (const auto& [pos, base] : irregular->second)
            AddOnce(forms, base);
    for (const auto& ending : kEndings) {
        if (!EndsWith(word, ending.suffix))
            continue;
        std::string stem = word.substr(0, word.size() - std::string(ending.suffix).size());
        std::vector<std::string> stems{stem + ending.replacement};
        // A doubled last consonant before -ed and -ing: "shutting" comes from "shut".
        const std::size_t n = stem.size();
        if (ending.pos == PartOfSpeech::Verb && *ending.replacement == 0 && n >= 3 &&
            stem[n - 1] == stem[n - 2] &&
            std::string("aeiou").find(stem[n - 1]) == std::string::npos)
            stems.push_back(stem.substr(0, n - 1));
        for (const auto& base : stems)
            if (IsLemmaOf(wordNet, base, ending.pos) ||
                (ending.pos == PartOfSpeech::Noun && review.count(base) != 0))
                AddOnce(forms, base);
    }
    return forms;
}

namespace {

// Judges one game word at a time against the lemma verdicts, computed once.
class WordJudge {
public:
    WordJudge(const WordsByLevel& levels, const WordNet& wordNet, const ReviewList& review)
        : wordNet_(wordNet), review_(review), common_(CommonWords(levels)) {
        for (const auto& [lemma, senses] : wordNet.senses) {
            const auto& judgement = lemmas_.emplace(lemma, JudgeLemma(senses)).first->second;
            if (judgement.verdict == LemmaVerdict::Dropped &&
                judgement.mark == SenseMark::Obscene && IsGameWord(lemma) &&
                lemma.size() >= kShortestCompoundStem) {
                const auto reviewed = review.find(lemma);
                if (reviewed == review.end() || !reviewed->second.keep)
                    obsceneStems_.emplace(lemma, judgement);
            }
        }
    }

    void Judge(const std::string& word, Exclusion& exclusion) const {
        std::string reviewedDrop, reviewedKeep, dropped, kept;
        bool innocentReading = false;
        for (const auto& reading : Readings(word)) {
            const auto why = [&](const std::string& reason) {
                return (reading == word ? std::string() : "form of " + reading + "; ") + reason;
            };
            const auto reviewed = review_.find(reading);
            if (reviewed != review_.end()) {
                auto& slot = reviewed->second.keep ? reviewedKeep : reviewedDrop;
                if (slot.empty())
                    slot = why("reviewed: " + reviewed->second.reason);
                continue;
            }
            const auto judged = lemmas_.find(reading);
            if (judged == lemmas_.end())
                continue;
            const LemmaVerdict verdict = judged->second.verdict;
            innocentReading |= verdict != LemmaVerdict::Dropped;
            auto& slot = verdict == LemmaVerdict::Dropped ? dropped : kept;
            if (verdict != LemmaVerdict::Innocent && slot.empty())
                slot = why(judged->second.reason);
        }
        // A reading as an innocent word ("butcher", "crapes") keeps a word whose other
        // reading is a form of a dropped one.
        if (!reviewedDrop.empty())
            exclusion.excluded[word] = reviewedDrop;
        else if (!reviewedKeep.empty())
            exclusion.keptDespiteMark[word] = reviewedKeep;
        else if (!dropped.empty() && !innocentReading)
            exclusion.excluded[word] = dropped;
        else if (!dropped.empty() || !kept.empty())
            exclusion.keptDespiteMark[word] = kept.empty() ? dropped : kept;
        else if (const auto compound = CompoundReason(word, obsceneStems_, common_);
                 !compound.empty())
            exclusion.excluded[word] = compound;
    }

private:
    // The word read as itself and as a form of each lemma it can come from.
    std::vector<std::string> Readings(const std::string& word) const {
        std::vector<std::string> readings;
        if (wordNet_.senses.count(word) != 0 || review_.count(word) != 0)
            readings.push_back(word);
        for (const auto& base : BaseForms(word, wordNet_, review_))
            AddOnce(readings, base);
        return readings;
    }

    const WordNet& wordNet_;
    const ReviewList& review_;
    const std::set<std::string> common_;
    std::map<std::string, LemmaJudgement> lemmas_, obsceneStems_;
};

} // namespace

Exclusion JudgeWords(const WordsByLevel& levels, const WordNet& wordNet, const ReviewList& review) {
    const WordJudge judge(levels, wordNet, review);
    Exclusion exclusion;
    for (const auto& [level, words] : levels)
        for (const auto& word : words)
            judge.Judge(word, exclusion);
    return exclusion;
}

WordsByLevel WithoutExcluded(const WordsByLevel& levels, const Exclusion& exclusion) {
    WordsByLevel kept;
    for (const auto& [level, words] : levels) {
        auto& out = kept[level];
        for (const auto& word : words)
            if (exclusion.excluded.count(word) == 0)
                out.push_back(word);
    }
    return kept;
}

} // namespace lexfall::mkdict
