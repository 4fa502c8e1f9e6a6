// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Game.h"

namespace lexfall {

bool Game::Covered() const {
    return running_ && (Held(HoldSource::Player) || Held(HoldSource::Minimised));
}

bool Game::TimersRun() const {
    if (!running_)
        return false;
    for (const int count : holds_)
        if (count > 0)
            return false;
    return true;
}

void Game::Start(double today) {
    field_.NewGame();
    ClearRecord(gameRec_, RecordName(gameRec_), today);
    running_ = true;
    cheated_ = false;
    // Whatever covered the last game is gone; a box or an exchange still open keeps its hold.
    holds_[Index(HoldSource::Player)] = 0;
    holds_[Index(HoldSource::Minimised)] = 0;
}

void Game::Enter(std::uint8_t following) {
    field_.Enter(nextChar_);
    nextChar_ = following;
}

std::int32_t Game::ClockSecond() {
    ++gameRec_.UsedTime;
    return gameRec_.UsedTime;
}

bool Game::Drop() {
    return Playable() && field_.Drop();
}

void Game::DropToRest() {
    if (Playable())
        field_.DropToRest();
}

bool Game::Move(int step) {
    return Playable() && field_.Move(step);
}

void Game::Swap(std::uint8_t letter) {
    if (Playable())
        field_.Swap(letter);
}

void Game::ClearBoard() {
    if (!Playable())
        return;
    cheated_ = true;
    field_.ClearBoard();
}

TurnOutcome Game::Land(WordChecker& words) {
    TurnOutcome outcome;
    outcome.landing = field_.Land();
    ++gameRec_.UsedLetters;
    if (outcome.landing.gameOver) {
        running_ = false;
        finished_ = true;
        return outcome;
    }
    try {
        outcome.word = field_.FindWord(words);
    } catch (const std::exception&) {
        outcome.searchFailure = std::current_exception();
    }
    return outcome;
}

void Game::TakeWord(const FoundWord& word) {
    field_.TakeWord(word);
    ++gameRec_.CompletedWords;
}

void Game::Hold(HoldSource source) {
    // The cover is a state, not a count: minimising twice needs one pause key.
    if (source == HoldSource::Player || source == HoldSource::Minimised) {
        if (running_)
            holds_[Index(source)] = 1;
        return;
    }
    ++holds_[Index(source)];
}

void Game::Release(HoldSource source) {
    if (holds_[Index(source)] > 0)
        --holds_[Index(source)];
}

void Game::PauseKey() {
    if (!running_)
        return;
    if (Covered()) {
        holds_[Index(HoldSource::Player)] = 0;
        holds_[Index(HoldSource::Minimised)] = 0;
    } else {
        holds_[Index(HoldSource::Player)] = 1;
    }
}

EndOfGameVerdict Game::Evaluate(bool autoSave) {
    const EndOfGameVerdict verdict =
        EvaluateEndOfGame({gameRec_, myRec_, worldRec_, cheated_, autoSave, recordsRead_});
    gameRec_.Total = verdict.total;
    unsaved_ = verdict.save != SaveStep::None && gameRec_.Total > myRec_.Total;
    return verdict;
}

void Game::RecordsLoaded(const TScoreRec& mine, const TScoreRec& world, bool read) {
    worldRec_ = world;
    recordsRead_ = read;
    MyRecChanged(mine);
}

void Game::MyRecChanged(const TScoreRec& mine) {
    myRec_ = mine;
    unsaved_ = unsaved_ && gameRec_.Total > myRec_.Total;
}

void Game::SaveSucceeded() {
    myRec_ = gameRec_;
    unsaved_ = false;
}

} // namespace lexfall
