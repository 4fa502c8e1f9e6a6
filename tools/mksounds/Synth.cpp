// SPDX-License-Identifier: GPL-3.0-or-later
#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lexfall::sounds {
namespace {

// Equal temperament from A4 = 440 Hz; 60 is middle C.
double Hz(int key) {
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

void PutLittle(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xff));
}

void PutTag(std::vector<unsigned char>& out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(tag[i]));
}

} // namespace

std::vector<double> Silence(double seconds) {
    return std::vector<double>(static_cast<std::size_t>(std::lround(seconds * kSampleRate)), 0.0);
}

void Render(std::vector<double>& mix, const Timbre& timbre, const std::vector<Tone>& tones) {
    constexpr double kTwoPi = 2 * std::numbers::pi;
    for (const Tone& tone : tones) {
        const auto first = static_cast<std::size_t>(std::lround(tone.start * kSampleRate));
        const auto count = static_cast<std::size_t>(std::lround(tone.length * kSampleRate));
        // The phase is summed sample by sample so that vibrato bends the pitch smoothly.
        double phase = 0;
        for (std::size_t n = 0; n < count && first + n < mix.size(); ++n) {
            const double t = static_cast<double>(n) / kSampleRate;
            double envelope = 1.0;
            if (t < timbre.attack)
                envelope = t / timbre.attack;
            const double left = tone.length - t;
            if (left < timbre.release)
                envelope = std::min(envelope, left / timbre.release);
            double sample = 0;
            for (const Overtone& o : timbre.overtones) {
                const double fade = o.decay > 0 ? std::exp(-t / o.decay) : 1.0;
                sample += o.level * fade * std::sin(o.ratio * phase);
            }
            mix[first + n] += tone.level * envelope * sample;
            const double wobble = 1 + tone.vibratoDepth * std::sin(kTwoPi * tone.vibratoRate * t);
            phase += kTwoPi * tone.frequency * wobble / kSampleRate;
        }
    }
}

std::vector<std::int16_t> ToPcm(const std::vector<double>& mix, double peak) {
    double loudest = 0;
    for (double s : mix)
        loudest = std::max(loudest, std::abs(s));
    const double scale = loudest > 0 ? peak * 32767.0 / loudest : 0.0;
    std::vector<std::int16_t> pcm;
    pcm.reserve(mix.size());
    for (double s : mix)
        pcm.push_back(static_cast<std::int16_t>(std::lround(s * scale)));
    return pcm;
}

std::vector<unsigned char> WaveFile(const std::vector<std::int16_t>& samples) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<unsigned char> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    PutLittle(out, 36 + dataBytes, 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLittle(out, 16, 4);
    PutLittle(out, 1, 2); // PCM
    PutLittle(out, 1, 2); // mono
    PutLittle(out, kSampleRate, 4);
    PutLittle(out, kSampleRate * 2, 4); // bytes per second
    PutLittle(out, 2, 2);               // bytes per frame
    PutLittle(out, 16, 2);              // bits per sample
    PutTag(out, "data");
    PutLittle(out, dataBytes, 4);
    for (std::int16_t s : samples)
        PutLittle(out, static_cast<std::uint16_t>(s), 2);
    return out;
}

// A word cleared: two quick bell strikes, E6 then B6, ringing out.
std::vector<std::int16_t> Chimes() {
    const Timbre bell{
        {{1.0, 1.0, 0.32}, {2.0, 0.35, 0.18}, {2.76, 0.25, 0.10}, {5.4, 0.10, 0.05}}, 0.003, 0.08};
    auto mix = Silence(0.9);
    Render(mix, bell, {{0.0, 0.83, Hz(88), 1.0}, {0.07, 0.83, Hz(95), 0.8}});
    return ToPcm(mix, 0.85);
}

// The game is over: a falling minor phrase, G4 E-flat4 C4, settling on a low G3 that wavers.
std::vector<std::int16_t> GameOver() {
    const Timbre reed{
        {{1.0, 1.0, 0.9}, {3.0, 0.30, 0.5}, {5.0, 0.14, 0.3}, {2.0, 0.12, 0.6}}, 0.012, 0.06};
    auto mix = Silence(1.75);
    Render(mix, reed,
           {{0.00, 0.30, Hz(67), 0.9},
            {0.30, 0.30, Hz(63), 0.9},
            {0.60, 0.30, Hz(60), 0.9},
            {0.90, 0.85, Hz(55), 1.0, 5.0, 0.006}});
    return ToPcm(mix, 0.8);
}

// A record is broken: a rising call, G4 C5 E5 G5, answered by E5 and a held C major chord.
std::vector<std::int16_t> RecBroken() {
    const Timbre brass{{{1.0, 1.0, 0},
                        {2.0, 0.6, 1.2},
                        {3.0, 0.45, 0.9},
                        {4.0, 0.3, 0.7},
                        {5.0, 0.2, 0.5},
                        {6.0, 0.12, 0.4}},
                       0.025,
                       0.07};
    auto mix = Silence(1.5);
    Render(mix, brass,
           {{0.00, 0.13, Hz(67), 0.8},
            {0.13, 0.13, Hz(72), 0.8},
            {0.26, 0.13, Hz(76), 0.8},
            {0.39, 0.30, Hz(79), 1.0},
            {0.70, 0.13, Hz(76), 0.8},
            {0.83, 0.67, Hz(72), 0.6},
            {0.83, 0.67, Hz(76), 0.6},
            {0.83, 0.67, Hz(79), 0.7},
            {0.83, 0.67, Hz(84), 0.5}});
    return ToPcm(mix, 0.85);
}

} // namespace lexfall::sounds
