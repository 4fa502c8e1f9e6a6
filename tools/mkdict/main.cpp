// mkdict: makes the game's Dict.dll from the SCOWL word lists.
// Usage: mkdict <word-list folder> <output folder>
#include "DictBuild.h"
#include "WordLists.h"
#include "platform/ThrowingDialogs.h"

#include "words/Dictionary.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

namespace {

using namespace lexfall;
using namespace lexfall::mkdict;

void PrintFill(const BlockFill& fill) {
    std::cout << "  " << fill.length << " letters: " << fill.words.size() << " words;";
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

// Looks every word up through the game's own reader, and a miss of each length.
void CheckLookups(const std::filesystem::path& folder, const std::vector<BlockFill>& blocks) {
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
    dict.CloseDict();
}

void Make(const std::string& listFolder, const std::filesystem::path& outFolder) {
    const WordsByLevel levels = ReadWordLists(listFolder);
    std::cout << "mkdict: game words (3 to 8 letters a-z) per level:";
    for (const auto& [level, words] : levels)
        std::cout << " " << level << ":" << words.size();
    std::cout << "\n";

    const auto blocks = FillAllBlocks(levels);
    for (const auto& fill : blocks)
        PrintFill(fill);

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
        CheckLookups(outFolder, blocks);
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
    if (argc != 3) {
        std::cerr << "usage: mkdict <word-list folder> <output folder>\n";
        return 2;
    }
    try {
        Make(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "mkdict: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
