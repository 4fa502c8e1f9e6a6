// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/Music.h"

#include "text/Text.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace lexfall {
namespace {

// Case-insensitive order, with byte order between names that differ only in case.
bool NameBefore(const std::string& a, const std::string& b) {
    const std::string foldedA = text::LowerAsciiText(a);
    const std::string foldedB = text::LowerAsciiText(b);
    return foldedA != foldedB ? foldedA < foldedB : a < b;
}

} // namespace

void PlayMusic(Sound& sound, const std::string& appDir, const std::string& name, bool on) {
    const std::string alias = MusicAlias;
    if (on) {
        // appDir keeps its own separator; the one before the name is always a backslash.
        sound.SendCommand("OPEN \"" + appDir + "sound" + "\\" + name + "\" TYPE SEQUENCER ALIAS " +
                          alias);
        sound.SendCommand("PLAY " + alias + " from 0");
    } else {
        sound.SendCommand("STOP " + alias);
        sound.SendCommand("CLOSE " + alias);
    }
}

std::vector<std::string> ListMusicFiles(const std::string& appDir) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entry(appDir + "sound", error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::string name = entry->path().filename().string();
        if (text::EndsWithNoCase(name, ".mid"))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), NameBefore);
    return names;
}

void PlayGameWave(Sound& sound, bool soundOn, const char* wave) {
    if (soundOn)
        sound.PlayWave(wave);
}

} // namespace lexfall
