// SPDX-License-Identifier: GPL-3.0-or-later
// mkdict: makes the game's Dict.dll from the SCOWL word lists, leaving out the offensive words
// that WordNet and the reviewed list name.
// Usage: mkdict <word-list folder> <WordNet folder> <review list> <output folder> <excluded list>
#include "DictBuild.h"
#include "OffensiveWords.h"
#include "WordLists.h"
#include "WordNet.h"
#include "platform/ThrowingDialogs.h"

#include "words/Dictionary.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace {

using namespace lexfall;
using namespace lexfall::mkdict;

// Excluded words of the block's length, and those of them the block would have held.
void PrintFill(const BlockFill& fill, const BlockFill& unfiltered, const Exclusion& exclusion) {
    std::size_t ofLength = 0, leftOut = 0;
    for (const auto& [word, reason] : exclusion.excluded)
        ofLength += word.size() == static_cast<std::size_t>(fill.length);
    for (const auto& word : unfiltered.words)
        leftOut += !std::binary_search(fill.words.begin(), fill.words.end(), word);
    std::cout << "  " << fill.length << " letters: " << fill.words.size() << " words, left out "
              << leftOut << " (" << ofLength << " in the lists);";
    for (const auto& [level, count] : fill.wholeLevels)
        std::cout << " " << level << ":" << count;
    if (fill.partLevel >= 0)
        std::cout << " " << fill.partLevel << ":" << fill.partTaken << " of " << fill.partOffered;
    std::cout << "\n";
}

std::vector<std::uint8_t> ReadBack(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("cannot read back " + file.string());
    return bytes;
}

std::string Upper(std::string word) {
    for (char& c : word)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return word;
}

// Looks every word up through the game's own reader, a miss of each length, and every
// excluded word, which must miss.
void CheckLookups(const std::filesystem::path& folder, const std::vector<BlockFill>& blocks,
                  const Exclusion& exclusion) {
    ThrowingDialogs dialogs; // a finished dictionary never shows a message
    Dictionary dict(folder.string() + "/", dialogs);
    dict.OpenDict();
    for (const auto& block : blocks) {
        for (const auto& word : block.words)
            if (!dict.CheckKey(word))
                throw std::runtime_error("lookup misses " + word);
        if (dict.CheckKey(std::string(static_cast<std::size_t>(block.length), 'Q')))
            throw std::runtime_error("lookup finds a non-word");
    }
    for (const auto& [word, reason] : exclusion.excluded)
        if (dict.CheckKey(Upper(word)))
            throw std::runtime_error("lookup finds an excluded word");
    dict.CloseDict();
}

// One line per word, "word<TAB>reason", for a reviewer; never shipped with the game.
void WriteWordList(const std::filesystem::path& file,
                   const std::map<std::string, std::string>& words) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::trunc);
    for (const auto& [word, reason] : words)
        out << word << "\t" << reason << "\n";
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

struct Inputs {
    std::string listFolder;
    std::string wordNetFolder;
    std::string reviewList;
    std::filesystem::path outFolder;
    std::filesystem::path excludedList;
};

void Make(const Inputs& inputs) {
    const auto& outFolder = inputs.outFolder;
    const WordsByLevel allLevels = ReadWordLists(inputs.listFolder);
    const Exclusion exclusion =
        JudgeWords(allLevels, ReadWordNet(inputs.wordNetFolder), ReadReviewList(inputs.reviewList));
    const WordsByLevel levels = WithoutExcluded(allLevels, exclusion);
    WriteWordList(inputs.excludedList, exclusion.excluded);
    // Beside it, the words kept although WordNet marks one of their senses.
    WriteWordList(inputs.excludedList.parent_path() / "kept-words.txt", exclusion.keptDespiteMark);
    std::cout << "mkdict: left out " << exclusion.excluded.size() << " offensive words, listed in "
              << inputs.excludedList.string() << "; kept " << exclusion.keptDespiteMark.size()
              << " whose marked sense is not their usual one\n";
    std::cout << "mkdict: game words (3 to 8 letters a-z) per level:";
    for (const auto& [level, words] : levels)
        std::cout << " " << level << ":" << words.size();
    std::cout << "\n";

    const auto blocks = FillAllBlocks(levels);
    const auto unfiltered = FillAllBlocks(allLevels);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        PrintFill(blocks[i], unfiltered[i], exclusion);

    const auto image = EncodeDict(blocks);
    const auto target = outFolder / "Dict.dll";
    const auto part = outFolder / "Dict.dll.part";
    std::filesystem::create_directories(outFolder);
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()),
                  static_cast<std::streamsize>(image.size()));
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + part.string());
    }
    try {
        if (ReadBack(part) != image)
            throw std::runtime_error("written file differs from the image");
        VerifyDictImage(image);
        std::filesystem::rename(part, target);
        CheckLookups(outFolder, blocks, exclusion);
    } catch (...) {
        std::filesystem::remove(part);
        std::filesystem::remove(target);
        throw;
    }
    std::cout << "mkdict: wrote " << target.string() << ", " << image.size() / DictRecordSize
              << " records\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: mkdict <word-list folder> <WordNet folder> <review list> "
                     "<output folder> <excluded list>\n";
        return 2;
    }
    try {
        Make({argv[1], argv[2], argv[3], argv[4], argv[5]});
    } catch (const std::exception& e) {
        std::cerr << "mkdict: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
