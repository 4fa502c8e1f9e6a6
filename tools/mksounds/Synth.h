// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound effects built from sine waves with envelopes, written as 16-bit PCM mono WAV files.
#include <cstdint>
#include <vector>

namespace lexfall::sounds {

inline constexpr int kSampleRate = 22050;

// One sine component of a timbre: its frequency as a multiple of the note's, its level, and how
// fast it dies away (seconds to fall to 1/e; 0 holds it until the release).
struct Overtone {
    double ratio;
    double level;
    double decay;
};

struct Timbre {
    std::vector<Overtone> overtones;
    double attack;  // seconds of linear rise
    double release; // seconds of linear fall at the end of the note
};

struct Tone {
    double start;  // seconds
    double length; // seconds, the release included
    double frequency;
    double level;
    double vibratoRate = 0;  // Hz
    double vibratoDepth = 0; // fraction of the frequency
};

// Adds the tones, played with the timbre, into a mix of the given length in seconds.
void Render(std::vector<double>& mix, const Timbre& timbre, const std::vector<Tone>& tones);
std::vector<double> Silence(double seconds);

// Scales the mix so that its loudest sample reaches the given fraction of full scale.
std::vector<std::int16_t> ToPcm(const std::vector<double>& mix, double peak);
std::vector<unsigned char> WaveFile(const std::vector<std::int16_t>& samples);

// The game's three effects.
std::vector<std::int16_t> Chimes();
std::vector<std::int16_t> GameOver();
std::vector<std::int16_t> RecBroken();

} // namespace lexfall::sounds
