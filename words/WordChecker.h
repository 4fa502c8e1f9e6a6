// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace lexfall {

// Answers whether a text of 3 to 8 upper-case letters is a word.
class WordChecker {
public:
    virtual ~WordChecker() = default;
    virtual bool CheckKey(const std::string& word) = 0;
};

} // namespace lexfall
