// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays the real window through its controls and keys, one event at a time, with the timers'
// ticks delivered in virtual time as fast as the game takes them; checks the game's
// invariants after every event.
#include "SoakServices.h"
#include "app/TForm1.h"
#include "words/Dictionary.h"

#include <QAbstractButton>

#include <cstdint>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace lexfall::soak {

struct SoakFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct SoakStats {
    long games = 0;
    long events = 0;
    long letters = 0;
    long words = 0;
    long longestGameLetters = 0;
    long longestGameSeconds = 0;
    long savesAsked = 0;
    long recordsSaved = 0; // Save Rec and automatic saves that wrote the record file
    long clears = 0;
    long swaps = 0;
    long pageChanges = 0;
    long optionChanges = 0;
};

class SoakPlayer {
public:
    SoakPlayer(TForm1& form, SoakDoubles& doubles, const std::string& appDir, std::uint64_t seed);

    // From the records page (or wherever the last game left the window) to the end of the next
    // game. Throws SoakFailure when an invariant breaks.
    void PlayGame();
    const SoakStats& Stats() const { return stats_; }

private:
    struct TimerModel {
        bool scheduled = false;
        std::int64_t due = 0;
        int interval = 0;
    };

    template <typename Action> void Event(const char* what, Action action);
    void Interlude();
    void PlayStep();
    void PlanLetter();
    int ChooseColumn();
    int LandingRow(int col) const;
    bool DeliverNextTick();
    void SyncTimers(bool restarted);
    void Key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void ClickVisible(QAbstractButton* button, const char* what);
    void ChangeOption();
    void ChangePage();
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    void Check(const char* what);
    void CheckBoard(const char* what);
    void CheckFigures(const char* what);
    void CheckRecordFile(const char* what);
    [[noreturn]] void Fail(const char* what, const std::string& detail) const;

    TForm1& form_;
    SoakDoubles& doubles_;
    std::filesystem::path recordFile_;
    Dictionary dictionary_; // the player's own look-ups, on the game's word file
    testing::RecordingDialogs playerDialogs_;
    std::mt19937_64 rng_;
    SoakStats stats_;

    std::int64_t now_ = 0; // virtual milliseconds
    TimerModel drop_, clock_;
    bool started_ = false;
    std::int32_t lastLetters_ = -1; // UsedLetters when the current letter was planned
    std::vector<int> plan_;         // Qt keys still to press for the current letter
    long patience_ = 0;             // letters to play well before the game is given up
    TScoreRec lastGame_{};          // figures after the last event, for the no-decrease check
    TScoreRec lastMyRec_{};
    TScoreRec lastFinished_{}; // the last finished game
};

} // namespace lexfall::soak
