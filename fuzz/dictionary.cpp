// SPDX-License-Identifier: GPL-3.0-or-later
// The dictionary lookup over any file bytes and any key. Every probe reads one whole record of
// the key's own block and nothing beyond the file; a probe count within the binary search's
// bound; a true answer only for a record that holds the key. Over a well-formed file built from
// the input's words, the answer is exactly whether the key is one of them.
#include "words/Dictionary.h"
#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <set>
#include <vector>

namespace {

using namespace lexfall;

constexpr std::int64_t kRecord = static_cast<std::int64_t>(DictRecordSize);

// Keeps every offset read, so the target can check where each probe landed.
class WatchedDictionary final : public Dictionary {
public:
    using Dictionary::Dictionary;
    std::vector<std::int64_t> reads;

protected:
    long ReadAt(int fd, std::uint8_t* buffer, std::size_t size, std::int64_t offset) override {
        reads.push_back(offset);
        FUZZ_CHECK(size == DictRecordSize);
        return Dictionary::ReadAt(fd, buffer, size, offset);
    }
};

std::string Scrambled(std::string_view word) {
    std::string record(DictRecordSize, '\0');
    record[0] = static_cast<char>(word.size());
    for (std::size_t i = 1; i <= word.size(); ++i)
        record[i] = static_cast<char>(static_cast<std::uint8_t>(word[i - 1]) + 65 + i);
    return record;
}

std::string Unscrambled(std::string_view file, std::int64_t offset, std::size_t length) {
    std::string word;
    for (std::size_t i = 1; i <= length; ++i)
        word += static_cast<char>(
            static_cast<std::uint8_t>(file[static_cast<std::size_t>(offset) + i]) - 65 - i);
    return word;
}

// Keys mostly of upper-case letters, as the board makes them, sometimes any bytes.
std::string Key(FuzzedDataProvider& data) {
    if (data.ConsumeIntegralInRange(0, 7) == 0)
        return data.ConsumeRandomLengthString(12);
    std::string key(data.ConsumeIntegralInRange<std::size_t>(1, 9), 'A');
    for (char& c : key)
        c = static_cast<char>('A' + data.ConsumeIntegralInRange(0, 3));
    return key;
}

// The records each length's block spans, for the file's record count.
struct Block {
    std::int64_t first;
    std::int64_t last; // below first when the block is empty
};

Block BlockOf(const TDictBlockStarts& starts, std::int64_t records, std::size_t length) {
    const std::int64_t first = std::max<std::int32_t>(starts[length - 3], 0);
    const std::int64_t next = length == 3 ? records : starts[length - 4];
    return {first, std::min(next, records) - 1};
}

// One lookup with every property that holds for any file.
bool CheckLookup(WatchedDictionary& dictionary, const std::string& file,
                 const TDictBlockStarts& starts, const std::string& key) {
    const std::int64_t records = static_cast<std::int64_t>(file.size()) / kRecord;
    dictionary.reads.clear();
    const bool found = dictionary.CheckKey(key);
    if (key.size() < 3 || key.size() > 8) {
        FUZZ_CHECK(!found && dictionary.reads.empty());
        return found;
    }
    const Block block = BlockOf(starts, records, key.size());
    const std::int64_t span = std::max<std::int64_t>(block.last - block.first + 1, 0);
    FUZZ_CHECK(dictionary.reads.size() <=
               static_cast<std::size_t>(std::bit_width(static_cast<std::uint64_t>(span))));
    for (const std::int64_t offset : dictionary.reads) {
        FUZZ_CHECK(offset % kRecord == 0);
        FUZZ_CHECK(offset / kRecord >= block.first && offset / kRecord <= block.last);
    }
    if (found)
        FUZZ_CHECK(Unscrambled(file, dictionary.reads.back(), key.size()) == key);
    return found;
}

// Block starts for a small file: ascending from 8 letters down to 3, as the real table is.
TDictBlockStarts SmallStarts(FuzzedDataProvider& data) {
    TDictBlockStarts starts{};
    std::int32_t next = data.ConsumeIntegralInRange(-2, 2);
    for (int length = 8; length >= 3; --length) {
        starts[static_cast<std::size_t>(length - 3)] = next;
        next += data.ConsumeIntegralInRange(0, 6);
    }
    return starts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::filesystem::path& dir = fuzz::ScratchDir();
    const int mode = data.ConsumeIntegralInRange(0, 2);
    testing::RecordingDialogs dialogs;

    if (mode == 0) {
        // The program's own table over a small file: nothing past the end is read.
        const std::string file = data.ConsumeRandomLengthString(200);
        fuzz::WriteFile(dir / "Dict.dll", file);
        WatchedDictionary dictionary(dir.string() + "/", dialogs);
        dictionary.OpenDict();
        for (int i = 0; i < 4 && data.remaining_bytes() > 0; ++i)
            CheckLookup(dictionary, file, DefaultDictBlockStart, Key(data));
        dictionary.CloseDict();
        return 0;
    }

    const TDictBlockStarts starts = SmallStarts(data);
    std::string file;
    std::set<std::string> words;
    if (mode == 1) {
        file = data.ConsumeRandomLengthString(300);
    } else {
        // A well-formed file: each block sorted, of words of its own length.
        std::vector<std::set<std::string>> blocks(9);
        const std::int64_t total = starts[0] + data.ConsumeIntegralInRange(0, 8);
        std::vector<std::string> recordsOut(
            static_cast<std::size_t>(std::max<std::int64_t>(total, 0)));
        for (std::size_t length = 8; length >= 3; --length) {
            const Block block = BlockOf(starts, total, length);
            std::vector<std::string> sorted;
            for (std::int64_t r = block.first; r <= block.last; ++r) {
                std::string word(length, 'A');
                for (char& c : word)
                    c = static_cast<char>('A' + data.ConsumeIntegralInRange(0, 3));
                sorted.push_back(word);
            }
            std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
                return std::lexicographical_compare(
                    a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                        return static_cast<std::uint8_t>(x) < static_cast<std::uint8_t>(y);
                    });
            });
            for (std::int64_t r = block.first; r <= block.last; ++r) {
                const std::string& word = sorted[static_cast<std::size_t>(r - block.first)];
                recordsOut[static_cast<std::size_t>(r)] = Scrambled(word);
                words.insert(word);
            }
        }
        for (std::string& record : recordsOut)
            file += record.empty() ? std::string(DictRecordSize, '\xff') : record;
        // A partial record at the end is never read.
        file += data.ConsumeBytesAsString(data.ConsumeIntegralInRange<std::size_t>(0, 8));
    }
    fuzz::WriteFile(dir / "Dict.dll", file);
    WatchedDictionary dictionary(dir.string() + "/", dialogs, starts);
    dictionary.OpenDict();
    for (int i = 0; i < 6 && data.remaining_bytes() > 0; ++i) {
        const std::string key = Key(data);
        const bool found = CheckLookup(dictionary, file, starts, key);
        if (mode == 2)
            FUZZ_CHECK(found == words.contains(key));
    }
    dictionary.CloseDict();
    // An empty file is a missing dictionary: said once at the open, never anything else.
    FUZZ_CHECK(dialogs.messages.size() == (file.empty() ? 1u : 0u));
    return 0;
}
