// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "text/SystemText.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lexfall {

// The player's options, read once at start-up and written back whenever one changes.
struct Settings {
    std::string UserName = "Player1";
    bool AutoSave = false;
    bool Sound = true;
    std::int16_t Speed = 750; // drop interval in ms at the start of a game
    std::string Music;        // at most 255 characters; empty means no music
    bool EnableProxy = false;
    std::string Proxy; // at most 255 characters; 15 when typed on the options page
    std::int16_t Port = 8080;
    std::string ProxyUser; // at most 255 characters
    std::string ProxyPwd;  // at most 128 characters
};

// Text limits of the settings above.
constexpr std::size_t MusicLimit = 255;
// A host name from the proxy variable is kept whole; the options page still takes 15 typed.
constexpr std::size_t ProxyLimit = 255;
constexpr std::size_t ProxyUserLimit = 255;
constexpr std::size_t ProxyPwdLimit = 128;

// Storing a longer text into a setting keeps its first characters: bytes, never a split one.
inline std::string KeepFirst(std::string_view text, std::size_t limit) {
    return std::string(KeepFirstBytes(text, limit));
}

// Storing an integer into Speed or Port keeps its low 16 bits, used as a signed number:
// 65535 becomes -1, 70000 becomes 4464.
inline std::int16_t KeepLow16(std::int64_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

} // namespace lexfall
