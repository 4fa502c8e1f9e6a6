// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lexfall {

// Dict.dll is a flat file of 9-byte records: a length byte, then up to 8 letters, each
// stored as (letter + 65 + position) mod 256 with positions counted from 1, then zeros.
constexpr std::size_t DictRecordSize = 9;
using TDictRecord = std::array<std::uint8_t, DictRecordSize>;

// The stored byte of `letter` at `position` (1 to 8).
constexpr std::uint8_t EncodeDictLetter(char letter, std::size_t position) {
    return static_cast<std::uint8_t>(static_cast<std::uint8_t>(letter) + 65 + position);
}

// The letter behind the stored byte at `position` (1 to 8).
constexpr std::uint8_t DecodeDictLetter(std::uint8_t stored, std::size_t position) {
    return static_cast<std::uint8_t>(stored - 65 - position);
}

// One whole record for a word of at most 8 letters.
constexpr TDictRecord EncodeDictRecord(std::string_view word) {
    TDictRecord record{};
    record[0] = static_cast<std::uint8_t>(word.size());
    for (std::size_t i = 1; i <= word.size() && i < DictRecordSize; ++i)
        record[i] = EncodeDictLetter(word[i - 1], i);
    return record;
}

} // namespace lexfall
