// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the end-of-game tests share, as a rule and through the window: the texts shown below the
// grid and the records games are measured against.
#include "support/Records.h"

#include <string>

namespace lexfall::testing {

inline const std::string kYours = "Congratulations! You have broken Your Record!";
inline const std::string kWorlds = "Congratulations! You have broken World Record!";
inline const std::string kCantSave =
    "But you can't save it until you break the Total Score Record.";
inline const std::string kDontForget =
    "Don't forget saveput your world class record onto game server.";
inline const std::string kSavedAutomatically = "The new record has been saved automatically.";

// Records of the player and of the world. Their totals: 2817 (a half rounded to even), 9010.
inline const TScoreRec kMine = ValidRecord("Alice", 20, 40, 5);
inline const TScoreRec kWorld = ValidRecord("Bob", 100, 40, 10);
// Total 20010: beaten by the game of 50 s, 12 letters, 8 words (total 24584) in time and total,
// not in words.
inline const TScoreRec kWorldOfTimeAndTotal = ValidRecord("Bob", 45, 40, 10);
inline const TScoreRec kNoRecord = ValidRecord("No Record", 0, 0, 0);

} // namespace lexfall::testing
