// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/Dialogs.h"
#include "words/DictRecord.h"
#include "words/WordChecker.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lexfall {

constexpr int DictShortestWord = 3;
constexpr int DictLongestWord = 8;

// First record of each word-length block, indexed by length - 3. The blocks run longest
// first; the 3-letter block runs to the end of the file.
using TDictBlockStarts = std::array<std::int32_t, 6>;
constexpr TDictBlockStarts DefaultDictBlockStart = {57891, 54761, 47841, 36349, 19465, 0};

// The first record of the block of words of `length` letters (3 to 8).
constexpr std::int32_t BlockStartOf(const TDictBlockStarts& starts, int length) {
    return starts[static_cast<std::size_t>(length - DictShortestWord)];
}

// The game's dictionary: a binary search over the records of the open file, one positioned
// read per probe, so the word list is never held in memory.
class Dictionary : public WordChecker {
public:
    // appDir ends with a separator; the file is appDir + "Dict.dll".
    Dictionary(std::string appDir, Dialogs& dialogs);
    // A file laid out for other block starts; tests use it for small fixtures.
    Dictionary(std::string appDir, Dialogs& dialogs, const TDictBlockStarts& blockStarts);
    ~Dictionary() override;
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    // Opens the file unless it is already open. A missing or empty file is reported and the
    // game runs without words; nothing is created. Throws Error when the file cannot be opened.
    void OpenDict();
    // True when word is a dictionary word. Any other length, and any failed read, is false.
    bool CheckKey(const std::string& word) override;
    // Closes the file if open. Throws Error when the close fails; IsOpen() then stays true.
    void CloseDict();

    bool IsOpen() const { return DictOpen; }
    std::int32_t RecordCount() const { return DictRecordCount; }
    // True when the file could only be opened for reading.
    bool IsReadOnly() const { return readOnly_; }

protected:
    // The system calls, with their return values and errno; tests override them to count
    // reads and to make opening, reading or closing fail.
    virtual int OpenFile(const std::string& filePath, int flags, unsigned mode);
    virtual long ReadAt(int fd, std::uint8_t* buffer, std::size_t size, std::int64_t offset);
    virtual int CloseFile(int fd);

private:
    int OpenExisting();
    void ReportMissing();

    std::string path_;
    Dialogs& dialogs_;
    TDictBlockStarts blockStarts_;

    int DictFile = -1;
    bool DictOpen = false;
    bool readOnly_ = false;
    bool missing_ = false; // open for this game, without a file
    std::int32_t DictRecordCount = 0;
    TDictBlockStarts DictBlockStart{};
};

} // namespace lexfall
