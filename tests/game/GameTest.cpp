// SPDX-License-Identifier: GPL-3.0-or-later
// The game object on its own: holds by source, the unsaved record's life, and a long random
// walk of every step against a small model of the states written apart from the game.
#include "game/Game.h"

#include "records/ScoreRec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>

namespace lexfall {
namespace {

// Knows the words of a small set.
class FewWords final : public WordChecker {
public:
    bool CheckKey(const std::string& word) override { return words_.contains(word); }

private:
    std::set<std::string> words_{"CAT", "ACT", "TEA", "EAT", "ATE", "TAE", "ETA"};
};

TScoreRec Record(std::int32_t time, std::int32_t letters, std::int32_t words) {
    TScoreRec rec{};
    SetRecordName(rec, "Ann");
    rec.UsedTime = time;
    rec.UsedLetters = letters;
    rec.CompletedWords = words;
    rec.Total = TotalScore(rec);
    return rec;
}

// Ends the running game at once: a letter that rests in the top row.
void EndGame(Game& game, WordChecker& words) {
    game.PutLetter(3, 1, 'E');
    game.Enter('A');
    ASSERT_TRUE(game.Land(words).landing.gameOver);
}

// Each source holds on its own: a box or an exchange lifts only its own hold, the pause key
// lifts the cover (the player's and a minimised window's) and nothing else, and a new game
// starts uncovered.
TEST(GameTest, HoldsBySource) {
    Game game;
    game.Hold(HoldSource::Minimised);
    EXPECT_FALSE(game.Covered()) << "nothing to cover without a game";
    game.Start(45000.0);
    game.Enter('A');
    EXPECT_TRUE(game.TimersRun());

    game.Hold(HoldSource::Exchange);
    game.Hold(HoldSource::Minimised);
    game.Release(HoldSource::Exchange);
    EXPECT_TRUE(game.Covered());
    EXPECT_FALSE(game.TimersRun()) << "the exchange's end lifts no other hold";

    game.Hold(HoldSource::Box);
    game.Hold(HoldSource::Box);
    game.PauseKey();
    EXPECT_FALSE(game.Covered());
    game.Release(HoldSource::Box);
    EXPECT_FALSE(game.TimersRun()) << "two boxes, two releases";
    game.Release(HoldSource::Box);
    EXPECT_TRUE(game.TimersRun());

    game.PauseKey();
    EXPECT_TRUE(game.Held(HoldSource::Player));
    EXPECT_FALSE(game.Move(+1)) << "no move under the cover";
    game.Hold(HoldSource::Exchange);
    game.Start(45000.0);
    EXPECT_FALSE(game.Covered()) << "a new game starts uncovered";
    EXPECT_FALSE(game.TimersRun()) << "the open exchange still holds it";
}

// An ended game that beats the player's record is unsaved until saved or declined, and stops
// being unsaved as soon as a record at least as good stands instead; a cleared board never is.
TEST(GameTest, TheUnsavedRecordsLife) {
    FewWords words;
    Game game;
    game.RecordsLoaded(Record(30, 10, 2), Record(300, 40, 10), true);
    const auto play = [&](bool clear) {
        game.Start(45000.0);
        game.Enter('A');
        if (clear)
            game.ClearBoard();
        game.FiguresToSetUp() = Record(40, 13, 3);
        EndGame(game, words);
        return game.Evaluate(false);
    };
    EXPECT_EQ(play(false).save, SaveStep::Offer);
    EXPECT_TRUE(game.Unsaved());
    game.MyRecChanged(Record(300, 40, 10));
    EXPECT_FALSE(game.Unsaved()) << "a better record came from the server";

    game.RecordsLoaded(Record(30, 10, 2), Record(300, 40, 10), true);
    play(false);
    game.MyRecChanged(Record(31, 10, 2));
    EXPECT_TRUE(game.Unsaved()) << "still beats the new record";
    game.SaveSucceeded();
    EXPECT_FALSE(game.Unsaved());
    EXPECT_EQ(std::int32_t{game.MyRec().Total}, std::int32_t{game.GameRec().Total});

    game.RecordsLoaded(Record(30, 10, 2), Record(300, 40, 10), true);
    EXPECT_EQ(play(true).save, SaveStep::None);
    EXPECT_FALSE(game.Unsaved());
    EXPECT_TRUE(game.Cheated());
}

// The model the walk checks the game against: which holds stand, whether a game runs, the
// record the player chose to keep, and whether the last game is owed a question.
struct Model {
    bool running = false;
    bool player = false, minimised = false;
    int boxes = 0, exchanges = 0;
    bool cheated = false;
    bool owed = false; // an unsaved better game that must be asked about
    std::int32_t kept = 0;

    bool TimersRun() const {
        return running && !player && !minimised && boxes == 0 && exchanges == 0;
    }
    bool Covered() const { return running && (player || minimised); }
};

// Thousands of random sequences of every step, each checked after every step against the
// model: the timers run exactly when it says, the record in memory is the one the player
// chose, and a better game is owed a question until it is saved, declined or outdone.
TEST(GameTest, RandomWalkAgainstTheModel) {
    FewWords words;
    // A longer walk: LEXFALL_GAME_WALKS=100000 build/tests/test_game.
    const char* walks = std::getenv("LEXFALL_GAME_WALKS");
    const int sequences = walks != nullptr ? std::max(1, std::atoi(walks)) : 3000;
    constexpr int kSteps = 400;
    long steps = 0, ended = 0, owedGames = 0;
    for (int sequence = 0; sequence < sequences; ++sequence) {
        std::mt19937 random(static_cast<unsigned>(sequence));
        const auto below = [&](int n) {
            return std::uniform_int_distribution<int>(0, n - 1)(random);
        };
        // Letters of a few words, so that words are made and totals vary.
        const auto letter = [&] { return static_cast<std::uint8_t>("ACETS"[below(5)]); };
        // Ticks most often, so that games end within a walk.
        std::discrete_distribution<int> pickStep({6, 30, 10, 10, 15, 5, 1, 4, 2, 8, 8, 3, 3, 3, 3});
        Game game;
        Model model;
        const TScoreRec start =
            below(2) == 0 ? Record(0, 0, 0) : Record(below(60), below(30), below(4));
        game.RecordsLoaded(start, Record(300, 40, 10), true);
        model.kept = start.Total;
        game.Preview(letter());
        for (int step = 0; step < kSteps; ++step, ++steps) {
            SCOPED_TRACE("sequence " + std::to_string(sequence) + ", step " + std::to_string(step));
            switch (pickStep(random)) {
            case 0: // Start, offered only between games; an owed game is asked about first
                if (game.Running())
                    break;
                if (game.Unsaved())
                    game.UnsavedDeclined();
                model.owed = false;
                game.Start(45000.0);
                game.Enter(letter());
                model.running = true;
                model.player = model.minimised = false;
                model.cheated = false;
                break;
            case 1: // a tick of the drop timer, which runs only when the timers do, mostly
            case 2: // after a hard drop
                if (!game.TimersRun())
                    break;
                if (below(4) > 0)
                    game.DropToRest();
                if (!game.Drop()) {
                    const TurnOutcome turn = game.Land(words);
                    if (turn.word)
                        game.TakeWord(*turn.word);
                    if (turn.landing.gameOver) {
                        model.running = false;
                        const bool autoSave = below(2) == 1;
                        game.Evaluate(autoSave);
                        model.owed = !model.cheated && game.GameRec().Total > model.kept;
                        ++ended;
                        owedGames += model.owed ? 1 : 0;
                        if (autoSave && model.owed && below(3) > 0) { // the save may fail
                            game.SaveSucceeded();
                            model.kept = game.GameRec().Total;
                            model.owed = false;
                        }
                    } else {
                        game.Enter(letter());
                    }
                }
                break;
            case 3:
                if (game.TimersRun())
                    game.ClockSecond();
                break;
            case 4:
                game.Move(below(2) == 0 ? -1 : +1);
                break;
            case 5: // a hard drop, and the tick that fixes it
                game.DropToRest();
                break;
            case 6:
                if (game.Running() && !game.Covered() && below(10) == 0) {
                    game.ClearBoard();
                    model.cheated = true;
                }
                break;
            case 7:
                game.PauseKey();
                if (model.running) {
                    if (model.Covered())
                        model.player = model.minimised = false;
                    else
                        model.player = true;
                }
                break;
            case 8:
                game.Hold(HoldSource::Minimised);
                model.minimised = model.minimised || model.running;
                break;
            case 9: // a box or an exchange opens, or one closes
                if (below(3) == 0) {
                    game.Hold(HoldSource::Box);
                    ++model.boxes;
                } else if (model.boxes > 0) {
                    game.Release(HoldSource::Box);
                    --model.boxes;
                }
                break;
            case 10:
                if (below(3) == 0) {
                    game.Hold(HoldSource::Exchange);
                    ++model.exchanges;
                } else if (model.exchanges > 0) {
                    game.Release(HoldSource::Exchange);
                    --model.exchanges;
                }
                break;
            case 11: { // Get MyRec: the player takes the server's record, better or worse
                const TScoreRec fetched = Record(below(60), below(30), below(4));
                game.MyRecChanged(fetched);
                model.kept = fetched.Total;
                model.owed = model.owed && game.GameRec().Total > model.kept;
                break;
            }
            case 12: // Save Rec on an owed game
                if (game.Finished() && model.owed) {
                    game.SaveSucceeded();
                    model.kept = game.GameRec().Total;
                    model.owed = false;
                }
                break;
            case 14: // words made faster than random letters make them
                if (game.Running())
                    game.FiguresToSetUp().CompletedWords += 1 + below(3);
                break;
            case 13: // the question answered No
                if (game.Unsaved() && below(4) == 0) {
                    game.UnsavedDeclined();
                    model.owed = false;
                }
                break;
            }
            ASSERT_EQ(game.Running(), model.running);
            ASSERT_EQ(game.TimersRun(), model.TimersRun());
            ASSERT_EQ(game.Covered(), model.Covered());
            ASSERT_EQ(std::int32_t{game.MyRec().Total}, model.kept);
            ASSERT_EQ(game.Unsaved(), model.owed);
        }
    }
    std::printf("%ld steps, %ld games ended, %ld owed a question\n", steps, ended, owedGames);
    // Enough ends and owed games that the records' rules are walked, not only the holds.
    EXPECT_GT(ended, sequences / 3);
    EXPECT_GT(owedGames, sequences / 10);
}

} // namespace
} // namespace lexfall
