// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "records/ScoreRec.h"

#include <array>
#include <cstdint>
#include <string>

namespace lexfall {

// Added below the grid when the record file could not be read at the end of a game: the game
// was measured against the records in memory, and whether it could be saved.
inline constexpr const char* kRecordsUnreadText = "Your record file could not be read.";
inline constexpr const char* kRecordsUnreadSaveText =
    "Not saved: your record file could not be read.";

// Added below the grid when the automatic save failed: the game is still to be saved, and a
// new game or closing asks about it.
inline constexpr const char* kRecordNotSavedText =
    "Not saved: your record file could not be written.";

// Save Rec's answer before any game of the run has ended.
inline constexpr const char* kNoGameToSaveText = "There is no finished game to save yet.";

// Which record a figure of the finished game broke; the window paints World red, Own green.
enum class Broken { None, Own, World };

// What the end of a game does about the records: no window, no file, no sound.
enum class SaveStep {
    None,  // Save Rec stays as it is
    Offer, // Save Rec is enabled
    Run,   // Save Rec is enabled and run at once, without a question
};

// What the end of a game is decided on.
struct FinishedGame {
    TScoreRec game; // its Total not yet computed
    TScoreRec mine;
    TScoreRec world;
    bool cheated = false; // the clear key was used
    bool autoSave = false;
    // False while the record file could not be read: the records in memory may not be what it
    // holds, so a save is only offered (Save Rec reads the file again first), never run.
    bool recordsRead = true;
};

struct EndOfGameVerdict {
    std::int32_t total = 0; // the game's total score
    // Time, letters, words and total, in the order they are compared; one sound each broken.
    std::array<Broken, 4> figures{};
    // The colour of the text below the grid: World when any world figure fell.
    Broken banner = Broken::None;
    // The text below the grid, texts joined by two carriage returns; empty when nothing broke.
    std::string text;
    SaveStep save = SaveStep::None;
    // Appended to text once the automatic save has succeeded; empty when nothing is.
    std::string savedText;
};

// Compares each figure with the world record, then with the player's; only a broken total
// offers a save, and never after the clear key. With the file unread it says so, and the
// save is only offered.
EndOfGameVerdict EvaluateEndOfGame(const FinishedGame& finished);

} // namespace lexfall
