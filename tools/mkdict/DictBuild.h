// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "WordLists.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lexfall::mkdict {

// The 3-letter block takes every 3-letter word up to this level.
constexpr int kThreeLetterLevel = 70;

// How a block was filled, for the build log.
struct BlockFill {
    int length = 0;
    std::vector<std::string> words;                       // upper case, sorted
    std::vector<std::pair<int, std::size_t>> wholeLevels; // levels taken whole, with counts
    int partLevel = -1;                                   // the level taken in part, or -1
    std::size_t partTaken = 0;                            // words taken from it
    std::size_t partOffered = 0;                          // words of this length it holds
};

// The words of one block of 4 to 8 letters: exactly `count` words, the most common levels
// first; from the last level needed, the words of lowest FNV-1a hash, which favours no part
// of the alphabet. Throws std::runtime_error when the levels cannot fill the block.
BlockFill FillBlock(const WordsByLevel& levels, int length, std::size_t count);

// Every 3-letter word up to kThreeLetterLevel.
BlockFill FillThreeLetterBlock(const WordsByLevel& levels);

// All blocks, longest words first, sized for the game's block table.
std::vector<BlockFill> FillAllBlocks(const WordsByLevel& levels);

// The file image: a length byte and 8 letter bytes per word, letters scrambled by position,
// unused letter bytes 0.
std::vector<std::uint8_t> EncodeDict(const std::vector<BlockFill>& blocks);

// Checks an image against the block table: every block exactly filled, sorted and unique,
// every record a length byte and that many letters A to Z, the rest 0. Throws
// std::runtime_error naming the first fault.
void VerifyDictImage(const std::vector<std::uint8_t>& image);

std::uint32_t Fnv1a(const std::string& text);

} // namespace lexfall::mkdict
