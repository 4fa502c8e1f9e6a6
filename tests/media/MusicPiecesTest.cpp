// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/Music.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace lexfall {
namespace {

// How long a Standard MIDI File plays: the end of its longest track, through its tempo map.
// Read here on its own, not by the generator's code, so a fault there shows.
class MidiLength {
public:
    explicit MidiLength(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), {});
    }

    double Seconds() {
        if (Text(0, 4) != "MThd")
            return -1;
        const int tracks = Word(10);
        const int division = Word(12);
        std::size_t at = 8 + Long(4);
        std::uint64_t end = 0;
        for (int t = 0; t < tracks && at + 8 <= bytes_.size(); ++t) {
            const std::size_t size = Long(at + 4);
            end = std::max(end, ReadTrack(at + 8, at + 8 + size));
            at += 8 + size;
        }
        // Microseconds per quarter note, 500000 until the first change.
        double seconds = 0;
        std::uint64_t tick = 0;
        double tempo = 500000;
        for (const auto& [changeTick, value] : tempos_) {
            if (changeTick >= end)
                break;
            seconds += static_cast<double>(changeTick - tick) * tempo / 1e6 / division;
            tick = changeTick;
            tempo = value;
        }
        return seconds + static_cast<double>(end - tick) * tempo / 1e6 / division;
    }

private:
    std::string Text(std::size_t at, std::size_t n) const {
        return at + n <= bytes_.size() ? std::string(bytes_.begin() + static_cast<long>(at),
                                                     bytes_.begin() + static_cast<long>(at + n))
                                       : std::string();
    }
    unsigned Byte(std::size_t at) const {
        return at < bytes_.size() ? static_cast<unsigned char>(bytes_[at]) : 0u;
    }
    int Word(std::size_t at) const { return static_cast<int>(Byte(at) << 8 | Byte(at + 1)); }
    std::size_t Long(std::size_t at) const {
        return static_cast<std::size_t>(Byte(at)) << 24 | Byte(at + 1) << 16 | Byte(at + 2) << 8 |
               Byte(at + 3);
    }
    std::uint64_t Number(std::size_t& at) const {
        std::uint64_t value = 0;
        unsigned byte = 0;
        do {
            byte = Byte(at++);
            value = value << 7 | (byte & 0x7F);
        } while ((byte & 0x80) != 0 && at < bytes_.size());
        return value;
    }

    // Returns the tick of the track's last event; notes its tempo changes.
    std::uint64_t ReadTrack(std::size_t at, std::size_t stop) {
        std::uint64_t tick = 0;
        unsigned status = 0;
        while (at < stop && at < bytes_.size()) {
            tick += Number(at);
            if (Byte(at) & 0x80)
                status = Byte(at++);
            if (status == 0xFF) {
                const unsigned type = Byte(at++);
                const std::uint64_t length = Number(at);
                if (type == 0x51 && length == 3)
                    tempos_[tick] = Byte(at) << 16 | Byte(at + 1) << 8 | Byte(at + 2);
                at += length;
                status = 0;
            } else if (status == 0xF0 || status == 0xF7) {
                at += Number(at);
                status = 0;
            } else {
                const unsigned kind = status & 0xF0;
                at += kind == 0xC0 || kind == 0xD0 ? 1 : 2;
            }
        }
        return tick;
    }

    std::vector<char> bytes_;
    std::map<std::uint64_t, double> tempos_;
};

// The list offers five pieces of our own, each playing for at least a minute.
TEST(MusicPiecesTest, FivePiecesOfAMinuteOrMore) {
    const std::string appDir = std::string(LEXFALL_BIN_DIR) + "/";
    const std::vector<std::string> pieces = ListMusicFiles(appDir);
    EXPECT_EQ(pieces.size(), 5u);
    for (const std::string& piece : pieces) {
        SCOPED_TRACE(piece);
        const double seconds = MidiLength(appDir + "sound/" + piece).Seconds();
        EXPECT_GE(seconds, 60.0);
        EXPECT_LE(seconds, 120.0);
    }
}

} // namespace
} // namespace lexfall
