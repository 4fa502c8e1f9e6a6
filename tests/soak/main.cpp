// SPDX-License-Identifier: GPL-3.0-or-later
// The soak: plays many games through the real window with a fixed seed and reports how they
// went. A broken invariant stops it with the game and event, and a non-zero exit.
//   soak_player [--games N] [--seed S] [--player window|headless]
// The headless player plays the same rules through the play field alone, without a window.
#include "HeadlessPlayer.h"
#include "SoakPlayer.h"
#include "SoakServices.h"
#include "records/ScoreRec.h"
#include "support/CommandLine.h"
#include "support/ScratchDir.h"
#include "words/Dictionary.h"

#include <QApplication>
#include <QFile>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace {

using namespace lexfall;

// A program folder of its own: the word file, a record file with a world record to beat,
// and settings with sound off and auto-save on.
bool PrepareAppDir(const QString& dir) {
    if (!QFile::copy(LEXFALL_BIN_DIR "/Dict.dll", dir + "Dict.dll"))
        return false;
    TScoreRec mine{};
    ClearRecord(mine, "No Record", 46366.0);
    TScoreRec world{};
    SetRecordName(world, "World");
    world.UsedTime = 300;
    world.UsedLetters = 120;
    world.CompletedWords = 12;
    world.Total = TotalScore(world);
    world.Date = 46000.0;
    std::ofstream records((dir + "Records.dat").toStdString(), std::ios::binary);
    records.write(reinterpret_cast<const char*>(&mine), sizeof mine);
    records.write(reinterpret_cast<const char*>(&world), sizeof world);
    std::ofstream settings((dir + "Lexfall.ini").toStdString(), std::ios::binary);
    settings << "[Register]\r\nUserName=Soak\r\n[Options]\r\nAutoSave=1\r\nSound=0\r\n";
    return records.good() && settings.good();
}

int PlayHeadless(long games, std::uint64_t seed) {
    testing::RecordingDialogs dialogs;
    Dictionary words(LEXFALL_BIN_DIR "/", dialogs);
    words.OpenDict();
    soak::HeadlessPlayer player(words, seed);
    const auto started = std::chrono::steady_clock::now();
    try {
        for (long game = 0; game < games; ++game)
            player.PlayGame();
    } catch (const soak::SoakFailure& failure) {
        std::fprintf(stderr, "soak: headless, seed %llu, %s\n",
                     static_cast<unsigned long long>(seed), failure.what());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const soak::HeadlessStats& stats = player.Stats();
    std::printf("soak: %ld headless games in %.1f s, seed %llu\n", stats.games, seconds,
                static_cast<unsigned long long>(seed));
    std::printf("  %ld letters, %ld words made, longest game %ld letters, %ld board clears, "
                "%ld swaps\n",
                stats.letters, stats.words, stats.longestGameLetters, stats.clears, stats.swaps);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    long games = 50;
    std::uint64_t seed = 1;
    std::string playerKind = "window";
    const testing::CommandLine commandLine{
        "soak_player",
        "Plays games through the real window offscreen, or the play field alone, and checks\n"
        "the game's rules.\n",
        {
            {"--games", "N", "games to play (50)", [&](const char* v) { games = std::atol(v); }},
            {"--seed", "S", "seed of the scripted player (1)",
             [&](const char* v) { seed = std::strtoull(v, nullptr, 10); }},
            {"--player", "P", "window, or headless: the play field alone (window)",
             [&](const char* v) { playerKind = v; }},
        }};
    if (const std::optional<int> exitCode = commandLine.Parse(argc, argv))
        return *exitCode;
    if (playerKind == "headless")
        return PlayHeadless(games, seed);
    if (playerKind != "window") {
        std::fprintf(stderr, "soak_player: unknown player '%s'\n", playerKind.c_str());
        commandLine.PrintUsage(stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const testing::ScratchDir dir;
    if (!PrepareAppDir(QString::fromStdString(dir.Dir()))) {
        std::fprintf(stderr, "soak: cannot prepare a program folder\n");
        return 2;
    }
    const std::string appDir = dir.Dir();

    soak::SoakDoubles doubles(seed);
    auto form = std::make_unique<TForm1>(soak::MakeFormServices(appDir, doubles));
    form->show();
    QApplication::setActiveWindow(form.get());

    const auto started = std::chrono::steady_clock::now();
    int status = 0;
    soak::SoakStats stats;
    try {
        soak::SoakPlayer player(*form, doubles, appDir, seed);
        for (long game = 0; game < games; ++game)
            player.PlayGame();
        stats = player.Stats();
    } catch (const soak::SoakFailure& failure) {
        std::fprintf(stderr, "soak: seed %llu, %s\n", static_cast<unsigned long long>(seed),
                     failure.what());
        status = 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    form.reset();
    if (status != 0)
        return status;
    std::printf("soak: %ld games in %.1f s (%.1f games/s), seed %llu\n", stats.games, seconds,
                static_cast<double>(stats.games) / seconds, static_cast<unsigned long long>(seed));
    std::printf("  %ld events, %ld letters, %ld words made\n", stats.events, stats.letters,
                stats.words);
    std::printf("  longest game: %ld letters; most seconds in a game: %ld\n",
                stats.longestGameLetters, stats.longestGameSeconds);
    std::printf("  %ld records saved (%ld Save Rec clicks), %ld board clears, %ld swaps, %ld page "
                "changes, %ld option changes\n",
                stats.recordsSaved, stats.savesAsked, stats.clears, stats.swaps, stats.pageChanges,
                stats.optionChanges);
    return 0;
}
