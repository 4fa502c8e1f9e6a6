// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "Score.h"

#include <vector>

namespace lexfall::sounds {

// The piece as a Standard MIDI File, format 1: a conductor track with the title, tempo and
// time signature, then one track per part with its General MIDI program, volume and pan.
std::vector<unsigned char> WriteMidi(const Piece& piece);

} // namespace lexfall::sounds
