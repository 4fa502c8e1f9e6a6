// SPDX-License-Identifier: GPL-3.0-or-later
// The history of the player's games: kept at the end of each game, shown on its own page.
#include "app/HistoryChart.h"
#include "app/HistoryPage.h"
#include "app/TForm1.h"
#include "records/HistoryFile.h"

#include <QFrame>

namespace lexfall {

HistoryPage& TForm1::History() {
    if (!history_) {
        history_ = std::make_unique<HistoryPage>(centralWidget());
        OnClick(history_->Button11, &TForm1::Button11Click);
        OnClick(history_->Button12, &TForm1::Button12Click);
    }
    return *history_;
}

GameHistory& TForm1::PlayedGames() {
    // Beside the record file, so it follows it into the portable or the player's folder.
    if (!playedGames_)
        playedGames_ = std::make_unique<GameHistory>(services_.recordsDir);
    return *playedGames_;
}

void TForm1::KeepInHistory() {
    // Never throws: whatever the history file does, the records are already settled.
    PlayedGames().Add(PlayedGameOf(game_.GameRec(), game_.Cheated(), services_.clock.Now()));
}

void TForm1::Button10Click(QObject*) {
    GameHistory& played = PlayedGames();
    const std::vector<PlayedGame>& games = played.Games();
    History().Show(games, played.Refusal(), services_.regional);
    ShowPage(History().PanelHistory, Records().PanelRecord);
}

void TForm1::Button11Click(QObject*) {
    ShowPage(Records().PanelRecord, History().PanelHistory);
}

void TForm1::Button12Click(QObject*) {
    ShowPage(PanelGame, History().PanelHistory);
}

} // namespace lexfall
