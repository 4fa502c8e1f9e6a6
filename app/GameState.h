#pragma once
#include "records/ScoreRec.h"
#include "settings/Settings.h"
#include "words/PlayField.h"

#include <cstdint>

namespace lexfall {

// All game state that lives for the whole run, in one place owned by the window.
struct GameState {
    PlayField field; // the grid and the falling letter
    std::uint8_t NextChar = 0;
    bool Cheated = false; // the board was cleared with the clear key in this game
    TScoreRec GameRec{};
    TScoreRec MyRec{};
    TScoreRec WorldRec{};
    bool RecordsRead = false;   // MyRec and WorldRec hold what the record file holds
    bool GameFinished = false;  // a game has ended in this run, so GameRec is one to save
    bool UnsavedRecord = false; // the last game broke the player's total and is not saved yet
    bool Paused = false;        // the running game is held by the pause key or minimising
    Settings settings;
};

} // namespace lexfall
