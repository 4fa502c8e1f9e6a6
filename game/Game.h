// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "records/EndOfGame.h"
#include "records/ScoreRec.h"
#include "words/PlayField.h"
#include "words/WordChecker.h"

#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <string_view>

namespace lexfall {

// What may hold a running game still. The player's pause and a minimised window put the cover
// over the board and are lifted together by the pause key; a box and an exchange hold the game
// only while they last, and never lift another's hold.
enum class HoldSource { Player, Minimised, Box, Exchange };

// What a landing did: where the letter rests (gameOver: it could not leave the top row and the
// game has ended), the word found in its row, still on the grid until TakeWord, and a word
// search that failed (the turn goes on all the same; the caller reports it).
struct TurnOutcome {
    Landing landing;
    std::optional<FoundWord> word;
    std::exception_ptr searchFailure;
};

// One player's game for the whole run, without a window: the grid and the letters, this game's
// figures, the player's and the world's records, and the states between them (running, held
// and by what, ended, cleared, unsaved). Each step changes the game and says what happened;
// a window paints that, asks the questions and reports the answers back.
class Game {
public:
    const PlayField& Field() const { return field_; }
    // The letter in the preview, the next to enter.
    std::uint8_t NextChar() const { return nextChar_; }
    // This game's figures; once it ended, the last game's.
    const TScoreRec& GameRec() const { return gameRec_; }
    const TScoreRec& MyRec() const { return myRec_; }
    const TScoreRec& WorldRec() const { return worldRec_; }
    // MyRec and WorldRec hold what the record file holds.
    bool RecordsRead() const { return recordsRead_; }

    bool Running() const { return running_; }
    // A game has ended in this run, so GameRec is one to save.
    bool Finished() const { return finished_; }
    // The board was cleared with the clear key: this game cannot be a record.
    bool Cheated() const { return cheated_; }
    // The last game beats the player's record and is neither saved nor declined: it is asked
    // about before a new game or closing drops it.
    bool Unsaved() const { return unsaved_; }
    bool Held(HoldSource source) const { return holds_[Index(source)] > 0; }
    // The cover is over the board: held by the player or a minimised window.
    bool Covered() const;
    // Letters fall and the clock counts: a game runs and nothing holds it.
    bool TimersRun() const;

    // The letter shown next; the start-up draws the first.
    void Preview(std::uint8_t letter) { nextChar_ = letter; }
    // A new game: an empty grid, figures cleared and dated today, no cover.
    void Start(double today);
    // The previewed letter enters the board; following is previewed next.
    void Enter(std::uint8_t following);
    // One second of play; gives the seconds played.
    std::int32_t ClockSecond();

    // The falling letter's moves; each does nothing unless a game runs and is not held.
    bool Drop();
    void DropToRest();
    bool Move(int step);
    void Swap(std::uint8_t letter);
    void ClearBoard();
    // The letter has come to rest: counted, then the game ends or its row is searched.
    TurnOutcome Land(WordChecker& words);
    // The word found by the landing goes off the grid and is counted. Apart from Land, so a
    // window can show the word first: the grid follows the picture, and a failure before the
    // picture changed leaves both as they were.
    void TakeWord(const FoundWord& word);

    // Sources of holds are counted: each release takes back one hold of its own kind.
    void Hold(HoldSource source);
    void Release(HoldSource source);
    // The pause key: lifts the cover when it is on, else the player holds the game.
    void PauseKey();

    // The ended game measured against the records; its total is kept, and a game that beats
    // the player's record and is to be saved is unsaved until SaveSucceeded.
    EndOfGameVerdict Evaluate(bool autoSave);
    // The records as the file gives them.
    void RecordsLoaded(const TScoreRec& mine, const TScoreRec& world, bool read);
    // A record that now stands as the player's (fetched from the server, or a better one the
    // file kept): the last game stays unsaved only while it still beats it.
    void MyRecChanged(const TScoreRec& mine);
    void WorldRecChanged(const TScoreRec& world) { worldRec_ = world; }
    // The last game was saved as the player's record.
    void SaveSucceeded();
    // The player chose not to keep the last game.
    void UnsavedDeclined() { unsaved_ = false; }

    // The name this player's games are kept under.
    void SetPlayerName(std::string_view name) { SetRecordName(gameRec_, name); }

    // A position to play from: a letter on the grid, and figures already counted.
    void PutLetter(int col, int row, std::uint8_t letter) { field_.Put(col, row, letter); }
    TScoreRec& FiguresToSetUp() { return gameRec_; }

private:
    static std::size_t Index(HoldSource source) { return static_cast<std::size_t>(source); }
    bool Playable() const { return running_ && !Covered(); }

    PlayField field_;
    std::uint8_t nextChar_ = 0;
    TScoreRec gameRec_{};
    TScoreRec myRec_{};
    TScoreRec worldRec_{};
    bool recordsRead_ = false;
    bool running_ = false;
    bool finished_ = false;
    bool cheated_ = false;
    bool unsaved_ = false;
    std::array<int, 4> holds_{};
};

} // namespace lexfall
