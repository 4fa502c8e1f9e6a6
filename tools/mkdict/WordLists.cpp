// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordLists.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>

namespace lexfall::mkdict {

namespace {

// The level of a list named <prefix>NN, or -1 for any other file.
int ListLevel(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 3 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stoi(digits);
}

void ReadList(const std::filesystem::path& file, std::set<std::string>& words) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (IsGameWord(line))
            words.insert(line);
    }
    if (in.bad())
        throw std::runtime_error("cannot read " + file.string());
}

} // namespace

bool IsGameWord(const std::string& word) {
    return word.size() >= 3 && word.size() <= 8 &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

WordsByLevel ReadWordLists(const std::string& folder) {
    // Sorted by level, so a word seen again at a higher level keeps its lower one.
    std::map<int, std::vector<std::filesystem::path>> lists;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        for (const char* prefix : {"english-words.", "american-words."}) {
            const int level = ListLevel(name, prefix);
            if (level >= 0 && level <= kHighestLevel)
                lists[level].push_back(entry.path());
        }
    }
    if (lists.empty())
        throw std::runtime_error("no english-words.NN lists in " + folder);

    WordsByLevel result;
    std::set<std::string> seen;
    for (const auto& [level, files] : lists) {
        std::set<std::string> words;
        for (const auto& file : files)
            ReadList(file, words);
        auto& kept = result[level];
        for (const auto& word : words)
            if (seen.insert(word).second)
                kept.push_back(word);
    }
    return result;
}

} // namespace lexfall::mkdict
