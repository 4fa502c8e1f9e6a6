// The game clock, the end of a game and the records page.
#include "app/Canvas.h"
#include "app/FormStyle.h"
#include "app/GameTimer.h"
#include "app/TForm1.h"
#include "media/Music.h"
#include "platform/DayCount.h"
#include "platform/qt/QtSystemText.h"
#include "records/Figures.h"
#include "records/GameClock.h"
#include "records/RecordFile.h"
#include "words/Dictionary.h"

#include <QLabel>
#include <QPushButton>

#include <array>
#include <cstddef>

namespace lexfall {
namespace {

// Time, letters and words, in the order they are compared. Copied out by value: reaching a
// field of the packed record through a pointer to member would be a misaligned load.
std::array<std::int32_t, 3> Counts(const TScoreRec& rec) {
    return {rec.UsedTime, rec.UsedLetters, rec.CompletedWords};
}

} // namespace

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
    Timer1->SetInterval(SpeedUpInterval(Timer1->Interval(), state.GameRec.UsedTime));
    style::SetCaption(MyScore[1], FormatWhole(state.GameRec.UsedTime));
}

void TForm1::Button2Click(QObject* sender) {
    if (sender == nullptr)
        EvaluateGame();
    ShowRecordsPage();
}

void TForm1::ShowRecordsPage() {
    // Whichever page the player is on gives way: a game can end behind the options page.
    for (QFrame* page : {PanelGame, PanelOptions})
        if (!page->isHidden())
            ShowPage(PanelRecord, page);
}

void TForm1::EvaluateGame() {
    dictionary_->CloseDict();
    PlayWave(GameOverWave);
    TScoreRec& game = state.GameRec;
    const TScoreRec& world = state.WorldRec;
    const TScoreRec& mine = state.MyRec;
    game.Total = TotalScore(game);
    style::SetCaption(MyScore[7], FormatWhole(game.Total));
    ShowRatios(MyScore, game);

    const auto gameCounts = Counts(game);
    const auto worldCounts = Counts(world);
    const auto myCounts = Counts(mine);
    for (std::size_t i = 0; i < gameCounts.size(); ++i) {
        const std::size_t row = i + 1; // the rows of time, letters and words
        if (worldCounts[i] > 0 && gameCounts[i] > worldCounts[i])
            NewRecord(MyRecord[row], MyScore[row], style::kRed);
        else if (gameCounts[i] > myCounts[i])
            NewRecord(MyRecord[row], MyScore[row], style::kGreen);
    }

    if (world.Total > 0 && game.Total > world.Total) {
        NewRecord(MyRecord[7], MyScore[7], style::kRed);
        if (state.Cheated) {
            AppendBroken("But, no cheating again.");
        } else {
            Button8->setEnabled(true);
            if (!state.settings.AutoSave)
                AppendBroken("Don't forget saveput your world class record onto game server.");
            else
                AutoSave();
        }
    } else if (game.Total > mine.Total) {
        NewRecord(MyRecord[7], MyScore[7], style::kGreen);
        if (state.Cheated) {
            AppendBroken("But, the cheating Record won't be saved.");
        } else {
            Button8->setEnabled(true);
            if (state.settings.AutoSave && AutoSave())
                AppendBroken("The new record has been saved automatically.");
        }
    } else if (!brokenText_.empty()) {
        AppendBroken("But you can't save it until you break the Total Score Record.");
    }
}

bool TForm1::AutoSave() {
    // A failed save is shown and the evaluation goes on, without claiming that it saved.
    try {
        Button8Click(nullptr);
        return true;
    } catch (const std::exception& error) {
        services_.dialogs.ShowMessage(error.what());
        return false;
    }
}

void TForm1::NewRecord(QLabel* ownLabel, QLabel* gameLabel, QColor colour) {
    PlayWave(RecBrokenWave);
    for (QLabel* label : {ownLabel, gameLabel, LabelBroken})
        if (style::TextColour(label) != style::kRed)
            style::SetTextColour(label, colour);
    if (brokenText_.empty())
        SetBrokenText(style::TextColour(LabelBroken) == style::kRed
                          ? "Congratulations! You have broken World Record!"
                          : "Congratulations! You have broken Your Record!");
}

void TForm1::SetBrokenText(const std::string& text) {
    brokenText_ = text;
    // The texts are joined by two carriage returns; on screen that is one empty line.
    QString shown = FromSystemText(text);
    shown.replace('\r', '\n');
    LabelBroken->setText(shown);
    LabelBroken->adjustSize();
}

void TForm1::AppendBroken(const std::string& text) {
    SetBrokenText(brokenText_ + "\r\r" + text);
}

void TForm1::Button8Click(QObject* sender) {
    if (sender != nullptr &&
        !services_.dialogs.Confirm("Save your current game score as your record, are you sure?"))
        return;
    state.MyRec = state.GameRec;
    ShowMyRec();
    SaveMyRec(services_.appDir, services_.dialogs, state.MyRec, state.WorldRec);
    Button8->setEnabled(false);
}

void TForm1::ShowRatios(const std::array<QLabel*, 8>& labels, const TScoreRec& rec) {
    if (const auto perWord = LettersPerWord(rec))
        style::SetCaption(labels[4], FormatRatio(*perWord, services_.regional));
    if (const auto perMinute = WordsPerMinute(rec))
        style::SetCaption(labels[5], FormatRatio(*perMinute, services_.regional));
    if (const auto secondsPerWord = SecondsPerWord(rec))
        style::SetCaption(labels[6], FormatRatio(*secondsPerWord, services_.regional));
}

void TForm1::ShowRecord(const std::array<QLabel*, 8>& labels, QLabel* dateLabel,
                        const TScoreRec& rec) {
    style::SetCaption(labels[0], RecordName(rec));
    style::SetCaption(labels[1], FormatWhole(rec.UsedTime));
    style::SetCaption(labels[2], FormatWhole(rec.UsedLetters));
    style::SetCaption(labels[3], FormatWhole(rec.CompletedWords));
    ShowRatios(labels, rec);
    style::SetCaption(labels[7], FormatWhole(rec.Total));
    style::SetCaption(dateLabel, FormatIsoDate(rec.Date));
}

void TForm1::ShowMyRec() {
    ShowRecord(MyRecord, Label2, state.MyRec);
}

void TForm1::ShowWorldRec() {
    ShowRecord(WRecord, Label3, state.WorldRec);
}

} // namespace lexfall
