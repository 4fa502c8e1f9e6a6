// SPDX-License-Identifier: GPL-3.0-or-later
// The play field: Start, the falling letter, landing with its word search, and the keys.
#include "app/Canvas.h"
#include "app/FormStyle.h"
#include "app/GameTimer.h"
#include "app/TForm1.h"
#include "app/TilePainter.h"
#include "board/LetterTables.h"
#include "media/Music.h"
#include "platform/qt/QtSystemText.h"
#include "records/Figures.h"
#include "records/GameClock.h"
#include "words/Dictionary.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <exception>
#include <optional>

namespace lexfall {

void TForm1::Button1Click(QObject* sender) {
    // The player's Start drops the last game: a new record of it is offered for saving first.
    if (sender != nullptr && !GameRunning())
        OfferUnsavedRecord(false);
    dictionary_->OpenDict();
    if (!GameRunning())
        StartNewGame();
    // The sprite copies the preview before the preview shows the following letter.
    DrawBlock();
    game_.Enter(DrawNextBlock());
    PlaceSprite();
    Image3->SetTransparent(false);
    ApplyHolds();
}

void TForm1::StartNewGame() {
    const RecordsPage& page = Records();
    Button1->setEnabled(false);
    page.Button8->setEnabled(false);
    game_.Start(services_.clock.Today());
    ClearArea();
    for (FigureRow::Row row : {FigureRow::Letters, FigureRow::Words, FigureRow::Time})
        page.MyScore[row]->setText(QStringLiteral("0"));
    for (FigureRow::Row row : kRecordFigureRows)
        for (QLabel* label : {page.MyScore[row], page.MyRecord[row], page.WRecord[row]})
            style::SetTextColour(label, style::kBlack);
    Timer1->SetInterval(StartDropInterval(settings.Speed));
    SetBrokenText("");
    style::SetTextColour(page.LabelBroken, style::kBlack);
    Memo1->clear();
}

void TForm1::ClearArea() {
    tiles::ClearBoardPicture(Image1->Image());
    Image1->Changed();
}

void TForm1::DrawBlock() {
    tiles::CopyPreviewToSprite(Image2->Image(), Image3->Image());
    Image3->Changed();
}

void TForm1::PlaceSprite() {
    const TBlock& block = game_.Field().Block();
    Image3->move(kBoardOrigin.x() + BlockSize * block.Col,
                 kBoardOrigin.y() + BlockSize * block.Row);
}

std::uint8_t TForm1::DrawNextBlock() {
    const NextLetter next = NextLetterFor(services_.random.Below(kLetterRange));
    tiles::DrawPreviewTile(Image2->Image(), static_cast<char>(next.letter),
                           GroupColour(next.group));
    Image2->Changed();
    return next.letter;
}

std::uint8_t TForm1::GetChar() {
    return SwapLetterFor(services_.random.Below(kLetterRange));
}

void TForm1::Timer1Timer() {
    if (game_.Drop())
        PlaceSprite();
    else
        FixBlock();
}

void TForm1::FixBlock() {
    // The word search runs with the timers off, so the clock's second starts anew after it.
    std::optional<TimersHeld> held;
    held.emplace(*Timer1, *Timer2);
    const TurnOutcome turn = game_.Land(*dictionary_);
    QLabel* letters = Records().MyScore[FigureRow::Letters];
    letters->setText(QString::number(game_.GameRec().UsedLetters));
    letters->adjustSize();
    if (turn.landing.gameOver) {
        held.reset();
        ApplyHolds();
        Button1->setEnabled(true);
        Button2Click(nullptr);
        return;
    }
    tiles::LandTile(Image1->Image(), Image3->Image(), turn.landing.cell.Col, turn.landing.cell.Row);
    Image1->Changed();
    // A failing word search (or its chime) does not cut the landing short: the next letter
    // enters first, and the error then reaches the tick's handler, which shows it with the
    // game held.
    std::exception_ptr failure = turn.searchFailure;
    if (turn.word) {
        try {
            PlayWave(ChimesWave);
            game_.TakeWord(*turn.word);
            ClearWord(turn.word->StartCol, turn.word->EndCol, turn.word->Word,
                      turn.landing.cell.Row);
        } catch (const std::exception&) {
            failure = std::current_exception();
        }
    }
    held.reset();
    Button1Click(nullptr);
    if (failure)
        std::rethrow_exception(failure);
}

void TForm1::ClearWord(int startCol, int endCol, const std::string& word, int row) {
    const TScoreRec& game = game_.GameRec();
    const auto& figures = Records().MyScore;
    style::SetCaption(figures[FigureRow::Words], FormatWhole(game.CompletedWords));
    if (const auto perMinute = WordsPerMinute(game))
        style::SetCaption(figures[FigureRow::WordsPerMinute],
                          FormatRatio(*perMinute, services_.regional));
    if (const auto perWord = SecondsPerWord(game))
        style::SetCaption(figures[FigureRow::SecondsPerWord],
                          FormatRatio(*perWord, services_.regional));
    Memo1->appendPlainText(QString::number(game.CompletedWords) + ':' + FromSystemText(word));
    // The picture is moved in pixels, never redrawn from the grid.
    tiles::ClearWordCells(Image1->Image(), startCol, endCol, row);
    Image1->Changed();
}

void TForm1::FormKeyDown(int virtualKey, ShiftState shiftState) {
    if (!GameRunning())
        return;
    const KeyAction action = ActionForKey(virtualKey, shiftState);
    if (action == KeyAction::Pause) {
        game_.PauseKey();
        return ApplyHolds();
    }
    // A held game is not played blind under its cover.
    if (game_.Covered())
        return;
    switch (action) {
    case KeyAction::HardDrop:
        // Only moves the letter; the next tick fixes it, so it can still slide sideways.
        game_.DropToRest();
        PlaceSprite();
        break;
    case KeyAction::MoveLeft:
        game_.Move(-1);
        PlaceSprite();
        break;
    case KeyAction::MoveRight:
        game_.Move(+1);
        PlaceSprite();
        break;
    case KeyAction::Swap:
        SwapLetter();
        break;
    case KeyAction::ClearBoard:
        ClearBoardKey();
        break;
    case KeyAction::Pause:
    case KeyAction::None:
        break;
    }
}

void TForm1::HoldGame(HoldSource source, bool hold) {
    if (hold)
        game_.Hold(source);
    else
        game_.Release(source);
    ApplyHolds();
}

void TForm1::ApplyHolds() {
    // Boxes of the window's making can come before the timers are.
    if (!Timer1 || !Timer2)
        return;
    // Off and on again: the clock's running second starts anew, so no held time counts. On
    // when already on changes nothing.
    Timer1->SetEnabled(game_.TimersRun());
    Timer2->SetEnabled(game_.TimersRun());
    const bool covered = game_.Covered();
    if (LabelPaused == nullptr && !covered)
        return;
    if (LabelPaused == nullptr) {
        LabelPaused = new QLabel(QStringLiteral("Paused"), Panel1);
        LabelPaused->setAlignment(Qt::AlignCenter);
        LabelPaused->setAutoFillBackground(true);
        QFont font = LabelPaused->font();
        font.setPointSize(26);
        font.setBold(true);
        LabelPaused->setFont(font);
        QPalette palette = LabelPaused->palette();
        palette.setColor(QPalette::Window, Qt::black);
        palette.setColor(QPalette::WindowText, Qt::white);
        LabelPaused->setPalette(palette);
    }
    // Covers the board and the falling letter, so a held game gives no time to think.
    LabelPaused->setGeometry(Image1->geometry());
    LabelPaused->setVisible(covered);
    LabelPaused->raise();
}

void TForm1::SwapLetter() {
    game_.Swap(GetChar());
    tiles::DrawSwappedLetter(Image3->Image(), static_cast<char>(game_.Field().Block().Letter));
    Image3->Changed();
}

void TForm1::ClearBoardKey() {
    PlayWave(ChimesWave);
    game_.ClearBoard();
    Memo1->appendPlainText(QStringLiteral("Cheating, the Score won't be saved."));
    ClearArea();
}

} // namespace lexfall
