// The game clock, the end of a game and the records page.
#include "app/Canvas.h"
#include "app/FormStyle.h"
#include "app/GameTimer.h"
#include "app/TForm1.h"
#include "platform/DayCount.h"

#include <QLabel>
#include <QPushButton>

namespace lexfall {

void TForm1::ClearScore() {
    TScoreRec& game = state.GameRec;
    game.UsedTime = 0;
    game.UsedLetters = 0;
    game.CompletedWords = 0;
    game.Total = 0;
    game.Date = services_.clock.Today();
}

void TForm1::Timer2Timer() {
    ++state.GameRec.UsedTime;
    MyScore[1]->setText(QString::number(state.GameRec.UsedTime));
    MyScore[1]->adjustSize();
}

void TForm1::Button2Click(QObject* sender) {
    if (sender == nullptr) {
        // The end-of-game evaluation.
    }
    ShowPage(PanelRecord, PanelGame);
}

void TForm1::Button8Click(QObject*) {}

void TForm1::CheckWord(TBlock&) {}

void TForm1::ClearWord(int, int, const std::string&, const TBlock&) {}

void TForm1::NewRecord(QLabel*, QLabel*, QColor) {}

void TForm1::ShowMyRec() {}

void TForm1::ShowWorldRec() {}

} // namespace lexfall
