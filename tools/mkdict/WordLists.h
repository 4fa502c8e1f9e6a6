// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <map>
#include <string>
#include <vector>

namespace lexfall::mkdict {

// Game words of 3 to 8 letters (lower case, as the lists hold them) by SCOWL level; each word
// sits at the lowest level that lists it, and each level's words are sorted.
using WordsByLevel = std::map<int, std::vector<std::string>>;

// The highest commonness level read; higher levels hold rare and odd words.
constexpr int kHighestLevel = 95;

// True for 3 to 8 bytes, each a to z: no capitals, apostrophes, digits or accented letters.
bool IsGameWord(const std::string& word);

// Reads english-words.NN and american-words.NN for every level NN up to kHighestLevel found
// in folder. Proper-name, upper-case, abbreviation and contraction lists are not read.
// Throws std::runtime_error when the folder holds no such list or a list cannot be read.
WordsByLevel ReadWordLists(const std::string& folder);

} // namespace lexfall::mkdict
