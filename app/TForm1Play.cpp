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
#include "words/PlayField.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <exception>

namespace lexfall {

void TForm1::Button1Click(QObject* sender) {
    // The player's Start drops the last game: a new record of it is offered for saving first.
    if (sender != nullptr && !GameRunning())
        OfferUnsavedRecord(false);
    dictionary_->OpenDict();
    if (!GameRunning())
        StartNewGame();
    state.field.Enter(state.NextChar);
    // The sprite copies the preview before the preview shows the following letter.
    DrawBlock();
    PlaceSprite();
    Image3->SetTransparent(false);
    state.NextChar = DrawNextBlock();
    Timer1->SetEnabled(true);
}

void TForm1::StartNewGame() {
    const RecordsPage& page = Records();
    Button1->setEnabled(false);
    page.Button8->setEnabled(false);
    state.field.NewGame();
    ClearArea();
    ClearScore();
    for (FigureRow::Row row : {FigureRow::Letters, FigureRow::Words, FigureRow::Time})
        page.MyScore[row]->setText(QStringLiteral("0"));
    Timer2->SetEnabled(true);
    for (FigureRow::Row row : kRecordFigureRows)
        for (QLabel* label : {page.MyScore[row], page.MyRecord[row], page.WRecord[row]})
            style::SetTextColour(label, style::kBlack);
    Timer1->SetInterval(StartDropInterval(state.settings.Speed));
    SetBrokenText("");
    style::SetTextColour(page.LabelBroken, style::kBlack);
    Memo1->clear();
    state.Cheated = false;
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
    const TBlock& block = state.field.Block();
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
    if (state.field.Drop())
        PlaceSprite();
    else
        FixBlock();
}

void TForm1::FixBlock() {
    const Landing landing = state.field.Land();
    ++state.GameRec.UsedLetters;
    QLabel* letters = Records().MyScore[FigureRow::Letters];
    letters->setText(QString::number(state.GameRec.UsedLetters));
    letters->adjustSize();
    if (landing.gameOver) {
        Timer1->SetEnabled(false);
        Timer2->SetEnabled(false);
        Button1->setEnabled(true);
        Button2Click(nullptr);
        return;
    }
    tiles::LandTile(Image1->Image(), Image3->Image(), landing.cell.Col, landing.cell.Row);
    Image1->Changed();
    // A failing word search does not cut the landing short: the next letter enters first, and
    // the error then reaches the tick's handler, which shows it with the timers held.
    std::exception_ptr failure;
    try {
        CheckWord();
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    Button1Click(nullptr);
    if (failure)
        std::rethrow_exception(failure);
}

void TForm1::CheckWord() {
    const TimersHeld held(*Timer1, *Timer2);
    if (const auto found = state.field.FindWord(*dictionary_)) {
        // The grid follows the picture, so a failure while painting leaves both as they were.
        ClearWord(found->StartCol, found->EndCol, found->Word, state.field.Block().Row);
        state.field.TakeWord(*found);
    }
}

void TForm1::ClearWord(int startCol, int endCol, const std::string& word, int row) {
    PlayWave(ChimesWave);
    TScoreRec& game = state.GameRec;
    ++game.CompletedWords;
    const auto& figures = Records().MyScore;
    style::SetCaption(figures[FigureRow::Words], FormatWhole(game.CompletedWords));
    if (const auto perMinute = WordsPerMinute(game))
        style::SetCaption(figures[FigureRow::WordsPerMinute],
                          FormatRatio(*perMinute, services_.regional));
    if (const auto perWord = SecondsPerWord(game))
        style::SetCaption(figures[FigureRow::SecondsPerWord],
                          FormatRatio(*perWord, services_.regional));
    Memo1->appendPlainText(QString::number(game.CompletedWords) + ':' + FromSystemText(word));
    // The picture is moved in pixels, never redrawn from the grid; the grid follows it.
    tiles::ClearWordCells(Image1->Image(), startCol, endCol, row);
    Image1->Changed();
}

void TForm1::FormKeyDown(int virtualKey, ShiftState shiftState) {
    if (!GameRunning())
        return;
    const KeyAction action = ActionForKey(virtualKey, shiftState);
    if (action == KeyAction::Pause)
        return SetPaused(!state.Paused);
    // A held game is not played blind under its cover.
    if (state.Paused)
        return;
    switch (action) {
    case KeyAction::HardDrop:
        // Only moves the letter; the next tick fixes it, so it can still slide sideways.
        state.field.DropToRest();
        PlaceSprite();
        break;
    case KeyAction::MoveLeft:
        state.field.Move(-1);
        PlaceSprite();
        break;
    case KeyAction::MoveRight:
        state.field.Move(+1);
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

void TForm1::SetPaused(bool paused) {
    if (paused == state.Paused || (paused && !GameRunning()))
        return;
    state.Paused = paused;
    // Off and on again: the clock's running second starts anew, so no paused time counts.
    Timer1->SetEnabled(!paused);
    Timer2->SetEnabled(!paused);
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
    LabelPaused->setVisible(paused);
    LabelPaused->raise();
}

void TForm1::SwapLetter() {
    state.field.Swap(GetChar());
    tiles::DrawSwappedLetter(Image3->Image(), static_cast<char>(state.field.Block().Letter));
    Image3->Changed();
}

void TForm1::ClearBoardKey() {
    PlayWave(ChimesWave);
    state.Cheated = true;
    Memo1->appendPlainText(QStringLiteral("Cheating, the Score won't be saved."));
    ClearArea();
    state.field.ClearBoard();
}

} // namespace lexfall
