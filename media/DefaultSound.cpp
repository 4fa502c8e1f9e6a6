// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/DefaultSound.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace lexfall {
namespace {

constexpr int kRate = 22050;
constexpr double kSeconds = 0.25;

void PutLittleEndian(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void PutText(std::vector<unsigned char>& out, const char* text) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(text[i]));
}

} // namespace

std::vector<unsigned char> DefaultSoundWave() {
    const int count = static_cast<int>(kRate * kSeconds);
    std::vector<unsigned char> wave;
    PutText(wave, "RIFF");
    PutLittleEndian(wave, static_cast<std::uint32_t>(36 + count * 2), 4);
    PutText(wave, "WAVE");
    PutText(wave, "fmt ");
    PutLittleEndian(wave, 16, 4);
    PutLittleEndian(wave, 1, 2); // PCM
    PutLittleEndian(wave, 1, 2); // mono
    PutLittleEndian(wave, kRate, 4);
    PutLittleEndian(wave, kRate * 2, 4);
    PutLittleEndian(wave, 2, 2);
    PutLittleEndian(wave, 16, 2);
    PutText(wave, "data");
    PutLittleEndian(wave, static_cast<std::uint32_t>(count * 2), 4);
    // E6 then C6, each a sine with a little octave, dying away; a few milliseconds of rise
    // keep the start from clicking.
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const bool second = t >= 0.09;
        const double start = second ? 0.09 : 0.0;
        const double frequency = second ? 1046.5 : 1318.5;
        const double local = t - start;
        const double envelope = std::min(1.0, local / 0.004) * std::exp(-local / 0.05);
        const double phase = 2 * std::numbers::pi * frequency * local;
        const double sample = envelope * (0.8 * std::sin(phase) + 0.2 * std::sin(2 * phase));
        const auto pcm = static_cast<std::int16_t>(std::lround(sample * 0.5 * 32767));
        PutLittleEndian(wave, static_cast<std::uint16_t>(pcm), 2);
    }
    return wave;
}

} // namespace lexfall
