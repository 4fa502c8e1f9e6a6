// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MciCommand.h"
#include "text/Text.h"

#include <vector>

namespace lexfall {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Words split at blanks; a double-quoted word keeps its blanks and loses its quotes.
// An unclosed quote makes the whole text unreadable.
std::optional<std::vector<std::string>> SplitWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            words.emplace_back(text.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i]) && text[i] != '"')
            ++i;
        words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

bool Is(const std::string& word, std::string_view keyword) {
    return text::LowerAsciiText(word) == keyword;
}

std::optional<MciCommand> ParseOpen(const std::vector<std::string>& words) {
    if (words.size() < 2 || words[1].empty())
        return std::nullopt;
    MciCommand command{MciVerb::Open, {}, words[1]};
    // Options come as keyword-value pairs in any order; only a sequencer is ever opened.
    for (std::size_t i = 2; i < words.size(); i += 2) {
        if (i + 1 >= words.size())
            return std::nullopt;
        if (Is(words[i], "type") && Is(words[i + 1], "sequencer"))
            continue;
        if (Is(words[i], "alias") && command.alias.empty()) {
            command.alias = words[i + 1];
            continue;
        }
        return std::nullopt;
    }
    if (command.alias.empty())
        return std::nullopt;
    return command;
}

} // namespace

std::optional<MciCommand> ParseMciCommand(std::string_view text) {
    const std::optional<std::vector<std::string>> split = SplitWords(text);
    if (!split || split->empty())
        return std::nullopt;
    const std::vector<std::string>& words = *split;
    if (Is(words[0], "open"))
        return ParseOpen(words);
    if (words.size() < 2 || words[1].empty())
        return std::nullopt;
    const MciCommand simple{MciVerb::Play, words[1], {}};
    if (Is(words[0], "play")) {
        // Playing always starts from the beginning, so only a start at 0 is honoured.
        if (words.size() == 2 || (words.size() == 4 && Is(words[2], "from") && words[3] == "0"))
            return simple;
        return std::nullopt;
    }
    if (words.size() != 2)
        return std::nullopt;
    if (Is(words[0], "stop"))
        return MciCommand{MciVerb::Stop, words[1], {}};
    if (Is(words[0], "close"))
        return MciCommand{MciVerb::Close, words[1], {}};
    return std::nullopt;
}

} // namespace lexfall
