// SPDX-License-Identifier: GPL-3.0-or-later
#include "DictBuild.h"

#include "words/Dictionary.h"

#include <algorithm>
#include <stdexcept>

namespace lexfall::mkdict {

namespace {

std::size_t BlockSize(int length) {
    return static_cast<std::size_t>(BlockStartOf(DefaultDictBlockStart, length - 1) -
                                    BlockStartOf(DefaultDictBlockStart, length));
}

std::vector<std::string> OfLength(const std::vector<std::string>& words, int length) {
    std::vector<std::string> result;
    for (const auto& word : words)
        if (word.size() == static_cast<std::size_t>(length))
            result.push_back(word);
    return result;
}

std::string Upper(std::string word) {
    for (char& c : word)
        c = static_cast<char>(c - 'a' + 'A');
    return word;
}

void Finish(BlockFill& fill, const std::vector<std::string>& lower) {
    for (const auto& word : lower)
        fill.words.push_back(Upper(word));
    std::sort(fill.words.begin(), fill.words.end());
}

std::string Fault(int length, std::size_t index, const std::string& what) {
    return "block of " + std::to_string(length) + " letters, record " + std::to_string(index) +
           ": " + what;
}

} // namespace

std::uint32_t Fnv1a(const std::string& text) {
    std::uint32_t hash = 2166136261u;
    for (const char c : text) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 16777619u;
    }
    return hash;
}

BlockFill FillBlock(const WordsByLevel& levels, int length, std::size_t count) {
    BlockFill fill;
    fill.length = length;
    std::vector<std::string> chosen;
    for (const auto& [level, words] : levels) {
        if (chosen.size() == count)
            break;
        auto offered = OfLength(words, length);
        const std::size_t wanted = count - chosen.size();
        if (offered.size() <= wanted) {
            fill.wholeLevels.emplace_back(level, offered.size());
            chosen.insert(chosen.end(), offered.begin(), offered.end());
            continue;
        }
        std::sort(offered.begin(), offered.end(), [](const auto& a, const auto& b) {
            const auto ha = Fnv1a(a);
            const auto hb = Fnv1a(b);
            return ha != hb ? ha < hb : a < b;
        });
        fill.partLevel = level;
        fill.partTaken = wanted;
        fill.partOffered = offered.size();
        chosen.insert(chosen.end(), offered.begin(), offered.begin() + wanted);
    }
    if (chosen.size() != count)
        throw std::runtime_error("only " + std::to_string(chosen.size()) + " words of " +
                                 std::to_string(length) + " letters for a block of " +
                                 std::to_string(count));
    Finish(fill, chosen);
    return fill;
}

BlockFill FillThreeLetterBlock(const WordsByLevel& levels) {
    BlockFill fill;
    fill.length = 3;
    std::vector<std::string> chosen;
    for (const auto& [level, words] : levels) {
        if (level > kThreeLetterLevel)
            break;
        const auto offered = OfLength(words, 3);
        fill.wholeLevels.emplace_back(level, offered.size());
        chosen.insert(chosen.end(), offered.begin(), offered.end());
    }
    if (chosen.empty())
        throw std::runtime_error("no 3-letter words up to level " +
                                 std::to_string(kThreeLetterLevel));
    Finish(fill, chosen);
    return fill;
}

std::vector<BlockFill> FillAllBlocks(const WordsByLevel& levels) {
    std::vector<BlockFill> blocks;
    for (int length = DictLongestWord; length > DictShortestWord; --length)
        blocks.push_back(FillBlock(levels, length, BlockSize(length)));
    blocks.push_back(FillThreeLetterBlock(levels));
    return blocks;
}

std::vector<std::uint8_t> EncodeDict(const std::vector<BlockFill>& blocks) {
    std::vector<std::uint8_t> image;
    for (const auto& block : blocks) {
        for (const auto& word : block.words) {
            const auto record = EncodeDictRecord(word);
            image.insert(image.end(), record.begin(), record.end());
        }
    }
    return image;
}

void VerifyDictImage(const std::vector<std::uint8_t>& image) {
    if (image.size() % DictRecordSize != 0)
        throw std::runtime_error("file length is not a whole number of records");
    const std::size_t records = image.size() / DictRecordSize;
    const auto threeStart = static_cast<std::size_t>(BlockStartOf(DefaultDictBlockStart, 3));
    if (records <= threeStart)
        throw std::runtime_error("no 3-letter block after record " + std::to_string(threeStart));

    std::string previous;
    for (std::size_t index = 0; index < records; ++index) {
        // The block this record belongs to, by the game's table.
        int length = DictShortestWord;
        while (length < DictLongestWord &&
               index < static_cast<std::size_t>(BlockStartOf(DefaultDictBlockStart, length)))
            ++length;
        const std::uint8_t* record = image.data() + index * DictRecordSize;
        if (record[0] != length)
            throw std::runtime_error(
                Fault(length, index, "length byte " + std::to_string(record[0])));
        std::string word;
        for (int i = 1; i <= DictLongestWord; ++i) {
            const auto letter = DecodeDictLetter(record[i], static_cast<std::size_t>(i));
            if (i <= length && (letter < 'A' || letter > 'Z'))
                throw std::runtime_error(Fault(length, index, "not a letter A to Z"));
            if (i > length && record[i] != 0)
                throw std::runtime_error(Fault(length, index, "unused byte not 0"));
            if (i <= length)
                word.push_back(static_cast<char>(letter));
        }
        const bool blockStart =
            index == static_cast<std::size_t>(BlockStartOf(DefaultDictBlockStart, length));
        if (!blockStart && !(previous < word))
            throw std::runtime_error(Fault(length, index, word + " not after " + previous));
        previous = word;
    }
}

} // namespace lexfall::mkdict
