// SPDX-License-Identifier: GPL-3.0-or-later
#include "Midi.h"

#include <algorithm>
#include <string>

namespace lexfall::sounds {
namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kTicksPerQuarter = 480;
constexpr int kTicksPerSixteenth = kTicksPerQuarter / 4;
// Notes let go a little before their full length, so repeated keys are heard as two.
constexpr int kReleaseGap = 24;
constexpr int kDrumChannel = 9;

struct Event {
    int tick;
    int order; // at one tick: settings, then note offs, then note ons, then the end
    Bytes data;
};

void PutVariable(Bytes& out, unsigned value) {
    unsigned char groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<unsigned char>(value & 0x7f);
        value >>= 7;
    } while (value != 0);
    while (n > 1)
        out.push_back(static_cast<unsigned char>(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

void PutBig(Bytes& out, unsigned value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>((value >> shift) & 0xff));
}

Bytes Meta(unsigned char type, const Bytes& payload) {
    Bytes data{0xff, type};
    PutVariable(data, static_cast<unsigned>(payload.size()));
    data.insert(data.end(), payload.begin(), payload.end());
    return data;
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

unsigned char Status(int kind, int channel) {
    return static_cast<unsigned char>(kind | channel);
}

unsigned char Byte(int value) {
    return static_cast<unsigned char>(value);
}

Bytes Chunk(std::vector<Event> events) {
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    Bytes body;
    int now = 0;
    for (const Event& e : events) {
        PutVariable(body, static_cast<unsigned>(e.tick - now));
        now = e.tick;
        body.insert(body.end(), e.data.begin(), e.data.end());
    }
    Bytes chunk{'M', 'T', 'r', 'k'};
    PutBig(chunk, static_cast<unsigned>(body.size()), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

Bytes ConductorTrack(const Piece& piece, int endTick) {
    const unsigned microsPerQuarter = static_cast<unsigned>(60'000'000 / piece.tempo);
    Bytes tempo;
    PutBig(tempo, microsPerQuarter, 3);
    int unitPower = 0;
    while ((1 << unitPower) < piece.beatUnit)
        ++unitPower;
    const Bytes time{Byte(piece.beatsPerBar), Byte(unitPower), 24, 8};
    return Chunk({
        {0, 0, Meta(0x03, Text(piece.title))},
        {0, 0, Meta(0x01, Text("Written for Lexfall"))},
        {0, 0, Meta(0x51, tempo)},
        {0, 0, Meta(0x58, time)},
        {endTick, 3, Meta(0x2f, {})},
    });
}

Bytes PartTrack(const Track& track, int endTick) {
    const int ch = track.channel;
    std::vector<Event> events{
        {0, 0, Meta(0x03, Text(track.name))},
        {0, 0, {Status(0xb0, ch), 7, Byte(track.volume)}},
        {0, 0, {Status(0xb0, ch), 10, Byte(track.pan)}},
        {endTick, 3, Meta(0x2f, {})},
    };
    // The drum channel plays the standard kit; a program change there would pick another kit.
    if (ch != kDrumChannel)
        events.push_back({0, 0, {Status(0xc0, ch), Byte(track.program)}});
    for (const Note& note : track.notes) {
        const int on = note.start * kTicksPerSixteenth;
        const int off =
            on + std::max(note.length * kTicksPerSixteenth - kReleaseGap, kTicksPerSixteenth / 2);
        events.push_back({on, 2, {Status(0x90, ch), Byte(note.key), Byte(note.velocity)}});
        events.push_back({off, 1, {Status(0x80, ch), Byte(note.key), 64}});
    }
    return Chunk(std::move(events));
}

} // namespace

std::vector<unsigned char> WriteMidi(const Piece& piece) {
    const int endTick = piece.LengthInSixteenths() * kTicksPerSixteenth;
    Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    PutBig(file, 1, 2); // format 1
    PutBig(file, static_cast<unsigned>(piece.tracks.size() + 1), 2);
    PutBig(file, kTicksPerQuarter, 2);
    const Bytes conductor = ConductorTrack(piece, endTick);
    file.insert(file.end(), conductor.begin(), conductor.end());
    for (const Track& track : piece.tracks) {
        const Bytes part = PartTrack(track, endTick);
        file.insert(file.end(), part.begin(), part.end());
    }
    return file;
}

} // namespace lexfall::sounds
