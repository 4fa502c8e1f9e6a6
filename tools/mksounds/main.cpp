// SPDX-License-Identifier: GPL-3.0-or-later
// mksounds: writes the folder "sound" beside the program: one MIDI file for each piece of music
// given, named after its score file, and the three wave effects.
// Usage: mksounds <sound folder> <score file>...
#include "Midi.h"
#include "Score.h"
#include "Synth.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace lexfall::sounds;

// Background music plays once: long enough to carry a stretch of play, short enough to end
// before it wears thin.
constexpr double kShortestPiece = 60.0;
constexpr double kLongestPiece = 120.0;

void WriteFile(const fs::path& file, const std::vector<unsigned char>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + file.string());
}

int Run(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: mksounds <sound folder> <score file>...\n";
        return 2;
    }
    const fs::path folder = argv[1];
    fs::create_directories(folder);
    for (int i = 2; i < argc; ++i) {
        const Piece piece = ReadPiece(argv[i]);
        if (piece.Seconds() < kShortestPiece || piece.Seconds() > kLongestPiece)
            throw std::runtime_error(piece.title + " lasts " + std::to_string(piece.Seconds()) +
                                     " s, outside 60 to 120 s");
        WriteFile(folder / (piece.title + ".mid"), WriteMidi(piece));
    }
    WriteFile(folder / "chimes.wav", WaveFile(Chimes()));
    WriteFile(folder / "GameOver.wav", WaveFile(GameOver()));
    WriteFile(folder / "RecBroken.wav", WaveFile(RecBroken()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "mksounds: " << e.what() << '\n';
        return 1;
    }
}
