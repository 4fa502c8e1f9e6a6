#pragma once
#include <cstdint>
#include <string>

namespace lexfall {

// The player's options, read once at start-up and written back whenever one changes.
struct Settings {
    std::string UserName = "Player1";
    bool AutoSave = false;
    bool Sound = true;
    std::int16_t Speed = 750; // drop interval in ms at the start of a game
    std::string Music;        // at most 255 characters; empty means no music
    bool EnableProxy = false;
    std::string Proxy; // at most 15 characters
    std::int16_t Port = 8080;
    std::string ProxyUser; // at most 255 characters
    std::string ProxyPwd;  // at most 128 characters
};

} // namespace lexfall
