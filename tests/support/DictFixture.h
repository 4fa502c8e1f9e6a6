// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small Dict.dll files for the dictionary tests, and a Dictionary whose system calls can be
// counted and made to fail.
#include "support/ScratchDir.h"
#include "words/Dictionary.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lexfall::testing {

// One record as the file holds it.
inline std::vector<std::uint8_t> EncodeRecord(const std::string& word) {
    const auto record = EncodeDictRecord(word);
    return {record.begin(), record.end()};
}

// Blocks by word length, each already in file order; written longest first, so the returned
// block starts lay the file out like the game's table.
using DictBlocks = std::map<int, std::vector<std::string>, std::greater<>>;

inline TDictBlockStarts WriteDict(const std::string& file, const DictBlocks& blocks) {
    TDictBlockStarts starts{};
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::int32_t next = 0;
    for (int length = DictLongestWord; length >= DictShortestWord; --length) {
        starts[static_cast<std::size_t>(length - DictShortestWord)] = next;
        const auto found = blocks.find(length);
        if (found == blocks.end())
            continue;
        for (const auto& word : found->second) {
            const auto record = EncodeRecord(word);
            out.write(reinterpret_cast<const char*>(record.data()),
                      static_cast<std::streamsize>(record.size()));
            ++next;
        }
    }
    return starts;
}

inline void AppendBytes(const std::string& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& file) {
    const std::string bytes = ReadAll(file);
    return {bytes.begin(), bytes.end()};
}

// Counts every read by its offset and fails opening, reading or closing on request.
class ProbedDictionary : public Dictionary {
public:
    using Dictionary::Dictionary;

    std::vector<std::int64_t> readOffsets;
    bool denyWriteOpen = false; // an existing file that cannot be opened read-write
    bool denyAnyOpen = false;
    long readResult = 0; // when not 0, every read returns this instead (with EIO)
    bool failClose = false;

protected:
    int OpenFile(const std::string& filePath, int flags, unsigned mode) override {
        const bool write = (flags & O_ACCMODE) != O_RDONLY;
        if (denyAnyOpen || (denyWriteOpen && write && std::filesystem::exists(filePath))) {
            errno = EACCES;
            return -1;
        }
        return Dictionary::OpenFile(filePath, flags, mode);
    }
    long ReadAt(int fd, std::uint8_t* buffer, std::size_t size, std::int64_t offset) override {
        readOffsets.push_back(offset);
        if (readResult != 0) {
            errno = EIO;
            return readResult;
        }
        return Dictionary::ReadAt(fd, buffer, size, offset);
    }
    int CloseFile(int fd) override {
        const int result = Dictionary::CloseFile(fd);
        if (!failClose)
            return result;
        errno = EIO;
        return -1;
    }
};

} // namespace lexfall::testing
