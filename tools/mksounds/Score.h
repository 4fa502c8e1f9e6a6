// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pieces of music written as text, one file per piece, read into notes for a MIDI file.
//
//   # comment                       to the end of the line (a # inside a word is a sharp)
//   tempo 116                       quarter notes per minute
//   time 4/4                        bar length; "|" in a part checks that a bar ends there
//   define NAME ... end             a phrase, used as @NAME, or @NAME+5 / @NAME-7 transposed
//   track NAME program P channel C [volume V] [pan P]
//                                   then the track's tokens; channel 9 is the drum kit
//
// Tokens: E5q (note E in octave 5, a quarter), Bb3e, C4+E4+G4h (a chord), 42e (a key number,
// for drums), rq (a rest). Lengths: w h q e s, with "." for dotted; a token without a length
// keeps the previous one. v90 sets the velocity; [ ... ]x4 repeats.
#include <filesystem>
#include <string>
#include <vector>

namespace lexfall::sounds {

struct Note {
    int start;  // in sixteenths from the start of the piece
    int length; // in sixteenths
    int key;    // MIDI key number, 60 is middle C
    int velocity;
};

struct Track {
    std::string name;
    int program = 0;
    int channel = 0;
    int volume = 100;
    int pan = 64;
    std::vector<Note> notes;
    int end = 0; // in sixteenths
};

struct Piece {
    std::string title;
    int tempo = 120;
    int beatsPerBar = 4;
    int beatUnit = 4;
    std::vector<Track> tracks;

    int LengthInSixteenths() const { return tracks.empty() ? 0 : tracks.front().end; }
    double Seconds() const { return LengthInSixteenths() / 4.0 * 60.0 / tempo; }
};

// Reads a piece; its title is the file name without the extension. Mistakes in the text
// (a bad token, a bar line off the bar, tracks of different lengths) throw with file and line.
Piece ReadPiece(const std::filesystem::path& file);
Piece ParsePiece(const std::string& text, const std::string& title);

} // namespace lexfall::sounds
